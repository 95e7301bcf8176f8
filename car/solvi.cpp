#include "car/solvi.h"

#include <cstdio>

CSolvi::CSolvi()
{
    shortName = "solvi";
    available = true;
}

CSolvi::~CSolvi()
{
    std::printf("Solvi destructor\n");
    carEngine.powerCurve.resample(500.0f, 0.0f, 15000.0f);
    carEngine.powerCurve.save("cars/solvi/engine/power.exp");
}

void CSolvi::setSkinName(std::string name) { skinName = std::move(name); }

float CSolvi::getConstant() { return 90.0f; }
