#pragma once
// A torsion bar joining the two suspension units of one axle. It holds only
// the pair and its rate: each unit reads the height difference of the two
// hubs and applies the bar's share itself. The bar has no mass or body.

class CSuspension;

class CAntiRollBar {
public:
    CAntiRollBar() = default;
    // Units still pointing at the bar are cut loose.
    virtual ~CAntiRollBar();
    CAntiRollBar(const CAntiRollBar&) = delete;
    CAntiRollBar& operator=(const CAntiRollBar&) = delete;

    // Joins a and b (either may be null) and makes this bar their antiRoll.
    void connect(CSuspension* a, CSuspension* b);
    // unitB when given unitA, otherwise unitA.
    CSuspension* other(const CSuspension* unit) const;
    // Forgets the unit wherever it appears (the unit is going away).
    void disconnect(const CSuspension* unit);

    CSuspension* unitA = nullptr;  // not owned
    CSuspension* unitB = nullptr;  // not owned
    // N/m of hub height difference; 0 leaves the bar inert until the car sets it.
    float stiffness = 0.0f;
    // Kept with the bar's set-up; no step reads it.
    float spareCoefficient = 0.03f;
};
