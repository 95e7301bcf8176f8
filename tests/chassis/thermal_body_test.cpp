#include "chassis/thermal_body.h"

#include <gtest/gtest.h>

namespace {

// At speed 0 a body above ambient is drawn towards 0 °C, one below towards
// twice ambient, with weight 0.9 over heatMass 2; each pending input pulls
// with weight 0.5 and is used once.
TEST(ThermalBodyTest, CoolingTargetsAndPendingInputs) {
    CThermalBody hot, cold, fast, heated;
    hot.temperature = fast.temperature = 80.0f;
    cold.temperature = 10.0f;
    heated.temperature = 26.0f;
    heated.addHeat(100.0f);
    heated.addHeat(46.0f);
    for (CThermalBody* b : {&hot, &cold, &heated}) b->stepHeat(0.01f, 26.0f, 0.0f);
    fast.stepHeat(0.01f, 26.0f, 50.0f);
    EXPECT_FLOAT_EQ(hot.temperature, 80.0f - 0.36f);
    EXPECT_FLOAT_EQ(cold.temperature, 10.0f + 0.189f);
    EXPECT_LT(fast.temperature, hot.temperature);  // speed lowers the target
    EXPECT_FLOAT_EQ(heated.temperature, 26.0f + 0.235f);
    EXPECT_TRUE(heated.pendingHeat.empty());
    heated.temperature = 26.0f;
    heated.stepHeat(0.01f, 26.0f, 0.0f);
    EXPECT_EQ(heated.temperature, 26.0f);
}

}  // namespace
