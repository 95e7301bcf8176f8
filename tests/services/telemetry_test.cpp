// The telemetry recorder: unknown names are reported, a repeated name feeds
// its first channel, and a disabled recorder keeps nothing (the car's own
// channels show samples landing in order).

#include "services/telemetry.h"

#include <gtest/gtest.h>

namespace {

TEST(TelemetryTest, UnknownNamesAreReportedRepeatedOnesFeedTheFirstAndDisabledKeepsNothing) {
    CTelemetry t;
    EXPECT_TRUE(t.enabled);
    t.addChannel("slip_lf");
    t.addChannel("slip_lf");
    t.addSample("slip_lf", 0.1f);
    testing::internal::CaptureStdout();
    t.addSample("slip_LF", 0.2f);  // names compare exactly
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Telemetry key slip_LF not found\n");
    EXPECT_EQ(t.findChannel("slip_LF"), nullptr);
    EXPECT_EQ(t.getChannels()[0]->values.size(), 1u);
    EXPECT_TRUE(t.getChannels()[1]->values.empty());
    EXPECT_EQ(t.findChannel("slip_lf"), t.getChannels()[0].get());

    t.enabled = false;
    testing::internal::CaptureStdout();
    t.addSample("slip_lf", 1.0f);
    t.addSample("unknown", 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(t.findChannel("slip_lf")->values.size(), 1u);
}

}  // namespace
