#include "car/car.h"

#include <cstdio>
#include <string>

#include "chassis/anti_roll_bar.h"
#include "chassis/suspension.h"
#include "chassis/wishbone_suspension.h"

namespace {
// Telemetry: samples are taken while the car's counter is above
// this threshold, and LAP_POS is the distance since the lap number changed.
float telemetryThreshold = 0.0f;
uint32_t telemetryLapNumber = 0;
float telemetryLapDistance = 0;   // m

// Spring-axis speed of a unit, where the unit keeps one.
float travelSpeed(const CSuspension* unit)
{
    const auto* wishbone = dynamic_cast<const CWishboneSuspension*>(unit);
    return wishbone ? wishbone->damperSpeed : 0.0f;
}

const char* const kWheelSuffix[4] = {"lf", "rf", "lr", "rr"};
}  // namespace

// The channels, in their fixed order.
void CCar::setupTelemetry()
{
    for (const char* name : {"LAP_BEACON", "LAP_POS", "EN_INPUT", "EN_RPMS", "GEAR", "CLUTCH", "G_LAT", "G_LON"})
        telemetry.addChannel(name);
    for (const char* prefix : {"AS_", "ST_", "SS_", "GC_"})
        for (const char* suffix : kWheelSuffix) telemetry.addChannel(std::string(prefix) + suffix);
}

void CCar::recordTelemetry(float dt)
{
    if (static_cast<float>(telemetryCounter) > telemetryThreshold) sampleTelemetry(dt);
}

void CCar::sampleTelemetry(float dt)
{
    if (lapTimer.lapCount == telemetryLapNumber) {
        telemetryLapDistance += dt * speed;
    } else {
        telemetryLapDistance = 0;
        telemetryLapNumber = lapTimer.lapCount;
    }
    auto wheelChannel = [](const char* prefix, int i) { return std::string(prefix) + kWheelSuffix[i]; };
    telemetry.addSample("LAP_BEACON", static_cast<float>(lapTimer.lapCount));
    telemetry.addSample("LAP_POS", telemetryLapDistance);
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("AS_", i), wheels[i].angularSpeed);
    telemetry.addSample("EN_INPUT", carEngine.getThrottleTarget());
    for (int i = 0; i < 4; ++i)
        telemetry.addSample(wheelChannel("ST_", i), suspension[i] ? suspension[i]->deflection : 0.0f);
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("SS_", i), travelSpeed(suspension[i]));
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("GC_", i), clearance[i]);
    telemetry.addSample("G_LAT", localAcceleration.x * 0.10204081f);
    telemetry.addSample("G_LON", localAcceleration.z * 0.10204081f);
    telemetry.addSample("EN_RPMS", static_cast<float>(carEngine.rpm));
    telemetry.addSample("CLUTCH", clutch.engagement);
    telemetry.addSample("GEAR", static_cast<float>(gearbox.gear));
}

void CCar::saveTyreTemperatures()
{
    FILE* file = std::fopen("cfg/of", "w");
    if (!file) return;  // no "cfg" folder: nothing depends on the file
    std::fprintf(file, "[TEMPS]\n");
    for (int i = 0; i < 4; ++i) {
        std::fprintf(file, "TEMP_TIRE%d_I=%f\n", i, wheels[i].tempInner);
        std::fprintf(file, "TEMP_TIRE%d_M=%f\n", i, wheels[i].tempMiddle);
        std::fprintf(file, "TEMP_TIRE%d_O=%f\n", i, wheels[i].tempOuter);
    }
    std::fprintf(file, "\n");
    std::fclose(file);
}

void CCar::printStatusReport()
{
    auto rate = [this](int i) { return suspension[i] ? suspension[i]->springRate * 0.25f : 0.0f; };
    std::printf("SPRINGS:\n");
    std::printf("LF=%f\n", rate(0));
    std::printf("RF=%f\n", rate(1));
    std::printf("LR=%f\n", rate(2));
    std::printf("RR=%f\n", rate(3));
    std::printf("ARB:\n");
    std::printf("FRONT=%f\n", antiRollFront ? antiRollFront->stiffness : 0.0f);
    std::printf("REAR=%f\n", antiRollRear ? antiRollRear->stiffness : 0.0f);
}
