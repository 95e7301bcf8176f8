#include "host/telemetry_csv.h"

#include "car/icar.h"
#include "host/file_commit.h"
#include "host/controls.h"
#include "host/driver.h"
#include "services/lap_timer.h"

namespace {
const char* const kWheels[4] = {"lf", "rf", "lr", "rr"};
}  // namespace

TelemetryCsv::~TelemetryCsv() { close(); }

bool TelemetryCsv::open(const std::string& path)
{
    close();
    file_ = std::fopen(partialPath(path).c_str(), "w");
    if (!file_) return false;
    path_ = path;
    rows_ = 0;
    std::fprintf(file_, "time_s,distance_m,x_m,y_m,z_m,speed_kmh,rpm,gear,throttle,brake,steering,lap");
    for (const char* w : kWheels)
        std::fprintf(file_,
                     ",omega_%s_rad_s,slip_ratio_%s,slip_angle_%s_deg,load_%s_n,tyre_inner_%s_c,tyre_middle_%s_c,"
                     "tyre_outer_%s_c",
                     w, w, w, w, w, w, w);
    std::fprintf(file_, "\n");
    return true;
}

void TelemetryCsv::sample(ICar& car, const CarState& state, const DriverInputs& inputs, double time,
                          double distance)
{
    if (!file_) return;
    // Row k belongs to the first step at or after k/30 s.
    if (time + 1e-9 < rows_ / kRowsPerSecond) return;
    const CLapTimer* timer = car.getLapTimer();
    std::fprintf(file_, "%.3f,%.2f,%.3f,%.3f,%.3f,%.2f,%d,%s,%.3f,%.3f,%.3f,%u", time, distance, state.position.x,
                 state.position.y, state.position.z, state.speed * 3.6f, state.rpm, state.gear.c_str(),
                 car.getThrottleInput(), car.getBrakeInput(), inputs.steering, timer ? timer->lapCount + 1 : 1u);
    for (int i = 0; i < 4; ++i) {
        WheelInfo w;
        car.getWheelInfo(i, w);
        std::fprintf(file_, ",%.2f,%.4f,%.3f,%.0f,%.1f,%.1f,%.1f", w.angularSpeed, w.slipRatio, w.slipAngleDeg, w.load,
                     w.temperature[0], w.temperature[1], w.temperature[2]);
    }
    std::fprintf(file_, "\n");
    ++rows_;
}

void TelemetryCsv::close()
{
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    commitPartial(path_);
}
