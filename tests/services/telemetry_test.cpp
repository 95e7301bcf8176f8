// The telemetry recorder: unknown names are reported, a repeated name feeds
// its first channel, and a disabled recorder keeps nothing (the car's own
// channels show samples landing in order).

#include "services/telemetry.h"

#include <gtest/gtest.h>

namespace {

TEST(TelemetryTest, UnknownNameIsReportedAndChangesNothing) {
    CTelemetry t;
    t.addChannel("slip_lf");
    t.addSample("slip_lf", 0.1f);
    testing::internal::CaptureStdout();
    t.addSample("slip_LF", 0.2f);  // names compare exactly
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Telemetry key slip_LF not found\n");
    ASSERT_EQ(t.findChannel("slip_lf")->values.size(), 1u);
    EXPECT_EQ(t.findChannel("slip_LF"), nullptr);
}

TEST(TelemetryTest, DuplicateNameFeedsTheFirstChannel) {
    CTelemetry t;
    t.addChannel("x");
    t.addChannel("x");
    t.addSample("x", 3.0f);
    EXPECT_EQ(t.getChannels()[0]->values.size(), 1u);
    EXPECT_TRUE(t.getChannels()[1]->values.empty());
    EXPECT_EQ(t.findChannel("x"), t.getChannels()[0].get());
}

TEST(TelemetryTest, DisabledRecorderRecordsAndReportsNothing) {
    CTelemetry t;
    EXPECT_TRUE(t.enabled);
    t.addChannel("x");
    t.enabled = false;
    testing::internal::CaptureStdout();
    t.addSample("x", 1.0f);
    t.addSample("unknown", 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(t.findChannel("x")->values.empty());
}

}  // namespace
