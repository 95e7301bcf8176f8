#include "chassis/anti_roll_bar.h"

#include "chassis/suspension.h"

CAntiRollBar::~CAntiRollBar()
{
    if (unitA && unitA->antiRoll == this) unitA->antiRoll = nullptr;
    if (unitB && unitB->antiRoll == this) unitB->antiRoll = nullptr;
}

void CAntiRollBar::connect(CSuspension* a, CSuspension* b)
{
    unitA = a;
    unitB = b;
    if (a) a->antiRoll = this;
    if (b) b->antiRoll = this;
}

CSuspension* CAntiRollBar::other(const CSuspension* unit) const { return unit == unitA ? unitB : unitA; }

void CAntiRollBar::disconnect(const CSuspension* unit)
{
    if (unitA == unit) unitA = nullptr;
    if (unitB == unit) unitB = nullptr;
}
