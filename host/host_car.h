#pragma once
// A loaded car as an entry of the host's car list. The car collides with the
// cars of that list and records their state into its replay; the entry for the
// car itself answers true to the first exclusion test, so the car never
// collides with itself.

#include "car/host_car.h"

class ICar;

class HostCarEntry : public IHostCar {
public:
    HostCarEntry(ICar* car, bool isSelf) : car_(car), self_(isSelf) {}

    void release() override {}  // a list entry is the host's, never the car's to delete
    // The state record holds the car's pose matrix; restoring it is a matter
    // for replay display, which moves ghost cars, not this one.
    void restoreState(const uint8_t* record) override;
    void fillState(uint8_t* record) override;
    void placeGhost(float, float, float, float) override {}  // entries are live cars, not ghosts
    void unusedSlot4() override {}
    void unusedSlot5() override {}
    void unusedSlot6() override {}
    void unusedSlot7() override {}
    void unusedSlot8() override {}
    void unusedSlot9() override {}
    void unusedSlot10() override {}
    void unusedSlot11() override {}
    void unusedSlot12() override {}
    void unusedSlot13() override {}
    void unusedSlot14() override {}
    void unusedSlot15() override {}
    void unusedSlot16() override {}
    Vector3& getPosition(Vector3& out) override;
    bool isExcludedA() override { return self_; }
    bool isExcludedB() override { return false; }
    void unusedSlot20() override {}
    void unusedSlot21() override {}
    void unusedSlot22() override {}
    void unusedSlot23() override {}
    const Matrix4* getPoseMatrix() override;

    Matrix4 lastRestoredPose;  // what the latest restoreState carried

private:
    ICar* car_;
    bool self_;
};
