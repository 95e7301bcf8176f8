#include "car/car.h"

// The base car draws nothing; a concrete car with a model draws itself.

void CCar::showSteeringWheel(uint8_t) {}

void CCar::draw(uint8_t) {}

void CCar::drawShadow() {}

void CCar::drawDebugText(RText*) {}

void CCar::drawName(RText*) {}

void CCar::drawSuspension() {}

void CCar::drawMarker(float) {}

void CCar::drawExtra(float) {}
