// The plug-in's two entry points and its one car. The car is built when the
// library is loaded and destroyed when it is unloaded; its destructors write
// the car's result files.

#include "car/solvi.h"

#define SOLVI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
CSolvi theCar;
}

SOLVI_EXPORT void vqInit() {}

SOLVI_EXPORT ICar* vqGetCar() { return &theCar; }
