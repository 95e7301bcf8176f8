// The lap clock: the field layout the host reads, lap counting only after
// the intermediate point, best-lap bookkeeping, the sprint stopwatch and the
// displayed texts.

#include "services/lap_timer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace {

// The host reads these fields straight from memory: one pointer (the virtual
// table) and then the fields in order with their exact widths.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
constexpr std::size_t P = sizeof(void*);
static_assert(offsetof(CLapTimer, currentMs) == P && offsetof(CLapTimer, lastLapMs) == P + 4 &&
              offsetof(CLapTimer, bestLapMs) == P + 8 && offsetof(CLapTimer, lapCount) == P + 12);
static_assert(offsetof(CLapTimer, bestLapIndex) == P + 16 && offsetof(CLapTimer, lapArmed) == P + 20 &&
              offsetof(CLapTimer, intermediateMs) == P + 24 && offsetof(CLapTimer, bestIntermediateMs) == P + 28);
static_assert(offsetof(CLapTimer, deltaToBestMs) == P + 32 && offsetof(CLapTimer, sprintMs) == P + 36 &&
              offsetof(CLapTimer, sprintStartMs) == P + 40 && offsetof(CLapTimer, sprintRunning) == P + 44);
static_assert(offsetof(CLapTimer, laps) % alignof(void*) == 0 && offsetof(CLapTimer, laps) >= P + 45);
#if defined(__x86_64__)
static_assert(offsetof(CLapTimer, currentMs) == 8 && offsetof(CLapTimer, laps) == 56);
#endif
#pragma GCC diagnostic pop
static_assert(std::is_polymorphic_v<CLapTimer> && std::has_virtual_destructor_v<CLapTimer>);
static_assert(sizeof(LapRecord) == 12);
static_assert(std::is_same_v<decltype(CLapTimer::bestLapIndex), int32_t> &&
              std::is_same_v<decltype(CLapTimer::deltaToBestMs), int32_t> &&
              std::is_same_v<decltype(CLapTimer::lapArmed), bool> && sizeof(bool) == 1);

TEST(LapTimerTest, StepsAreTruncatedToWholeMillisecondsAndTheSprintMeasuresOnlyWhileRunning) {
    CLapTimer t;
    t.addTime(0.0025f);
    EXPECT_EQ(t.currentMs, 2u);
    // The dropped half millisecond is not carried over.
    for (int i = 1; i < 1000; ++i) t.addTime(0.0025f);
    EXPECT_EQ(t.currentMs, 2000u);
    CLapTimer u;
    for (int i = 0; i < 1000; ++i) u.addTime(0.003f);
    EXPECT_EQ(u.currentMs, 3000u);
    u.addTime(0.0009f);
    u.addTime(-0.5f);
    EXPECT_EQ(u.currentMs, 3000u);

    // The sprint clock measures only while it runs.
    CLapTimer sprint;
    sprint.currentMs = 1200;
    sprint.startSprint();
    EXPECT_TRUE(sprint.sprintRunning);
    sprint.currentMs = 6900;
    sprint.stopSprint();
    EXPECT_EQ(sprint.sprintMs, 5700u);
    EXPECT_FALSE(sprint.sprintRunning);
    sprint.currentMs = 9000;
    sprint.stopSprint();
    EXPECT_EQ(sprint.sprintMs, 5700u);
}

TEST(LapTimerTest, TextsShowUnwrappedMinutes) {
    CLapTimer t;
    EXPECT_EQ(t.bestLapText(), "0:00:000");  // no best lap yet
    t.currentMs = 3723456;
    EXPECT_EQ(t.currentText(), "62:03:456");
    t.lastLapMs = 61005;
    EXPECT_EQ(t.lastLapText(), "1:01:005");
    t.bestLapMs = 59999;
    EXPECT_EQ(t.bestLapText(), "0:59:999");
}

TEST(LapTimerTest, LapsCountFromTheIntermediateTheFasterIsBestAndAnEqualOneDoesNotTakeIt) {
    CLapTimer t;
    t.currentMs = 5000;
    t.passFinishLine();  // without the intermediate: nothing counted
    EXPECT_EQ(std::tie(t.currentMs, t.lapCount), std::make_tuple(5000u, 0u));
    EXPECT_TRUE(t.laps.empty());
    EXPECT_EQ(t.deltaToBestMs, 5001);  // currentMs - all bits set, in 32 bits
    t.currentMs = 40000;
    t.passIntermediate();
    t.currentMs = 45000;
    t.passIntermediate();  // only the first crossing of a lap counts
    EXPECT_EQ(t.intermediateMs, 40000u);
    t.currentMs = 90000;
    t.passFinishLine();
    EXPECT_EQ(std::tie(t.lapCount, t.currentMs, t.lapArmed, t.bestLapMs, t.bestLapIndex),
              std::make_tuple(1u, 0u, false, 90000u, 0));

    t.currentMs = 39000;
    t.passIntermediate();
    t.currentMs = 88500;
    t.passFinishLine();
    EXPECT_EQ(t.deltaToBestMs, -1500);
    EXPECT_EQ(std::tie(t.lastLapMs, t.bestLapMs, t.bestLapIndex, t.bestIntermediateMs),
              std::make_tuple(88500u, 88500u, 1, 39000u));
    EXPECT_EQ(t.bestLapText(), "1:28:500");
    ASSERT_EQ(t.laps.size(), 2u);
    EXPECT_EQ(std::tie(t.laps[0].lapNumber, t.laps[0].timeMs, t.laps[0].intermediateMs),
              std::make_tuple(1u, 90000u, 40000u));
    EXPECT_EQ(std::tie(t.laps[1].lapNumber, t.laps[1].timeMs), std::make_tuple(2u, 88500u));

    // An equal lap, even with a better split, does not take the record.
    t.currentMs = 38000;
    t.passIntermediate();
    t.currentMs = 88500;
    t.passFinishLine();
    EXPECT_EQ(std::tie(t.lapCount, t.bestLapIndex, t.bestIntermediateMs, t.deltaToBestMs),
              std::make_tuple(3u, 1, 39000u, 0));
}

}  // namespace
