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
static_assert(offsetof(CLapTimer, currentMs) == P);
static_assert(offsetof(CLapTimer, lastLapMs) == P + 4);
static_assert(offsetof(CLapTimer, bestLapMs) == P + 8);
static_assert(offsetof(CLapTimer, lapCount) == P + 12);
static_assert(offsetof(CLapTimer, bestLapIndex) == P + 16);
static_assert(offsetof(CLapTimer, lapArmed) == P + 20);
static_assert(offsetof(CLapTimer, intermediateMs) == P + 24);
static_assert(offsetof(CLapTimer, bestIntermediateMs) == P + 28);
static_assert(offsetof(CLapTimer, deltaToBestMs) == P + 32);
static_assert(offsetof(CLapTimer, sprintMs) == P + 36);
static_assert(offsetof(CLapTimer, sprintStartMs) == P + 40);
static_assert(offsetof(CLapTimer, sprintRunning) == P + 44);
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

TEST(LapTimerTest, StartsWithNoLap)
{
    CLapTimer t;
    EXPECT_EQ(std::tie(t.currentMs, t.lastLapMs, t.bestLapMs, t.lapCount, t.bestLapIndex, t.lapArmed),
              std::make_tuple(0u, 0u, 0xFFFFFFFFu, 0u, -1, false));
    EXPECT_EQ(std::tie(t.intermediateMs, t.bestIntermediateMs, t.deltaToBestMs),
              std::make_tuple(0u, 0xFFFFFFFFu, -1));
    EXPECT_EQ(std::tie(t.sprintMs, t.sprintStartMs, t.sprintRunning), std::make_tuple(0u, 0u, false));
    EXPECT_TRUE(t.laps.empty());
    EXPECT_EQ(t.bestLapText(), "0:00:000");
}

TEST(LapTimerTest, StepsAreTruncatedToWholeMilliseconds)
{
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
}

TEST(LapTimerTest, TextsShowUnwrappedMinutes)
{
    CLapTimer t;
    t.currentMs = 3723456;
    EXPECT_EQ(t.currentText(), "62:03:456");
    t.lastLapMs = 61005;
    EXPECT_EQ(t.lastLapText(), "1:01:005");
    t.bestLapMs = 59999;
    EXPECT_EQ(t.bestLapText(), "0:59:999");
}

TEST(LapTimerTest, FinishWithoutIntermediateCountsNothing)
{
    CLapTimer t;
    t.currentMs = 5000;
    t.passFinishLine();
    EXPECT_EQ(t.currentMs, 5000u);
    EXPECT_EQ(t.lapCount, 0u);
    EXPECT_TRUE(t.laps.empty());
    EXPECT_EQ(t.deltaToBestMs, 5001);  // currentMs - all bits set, in 32 bits
}

TEST(LapTimerTest, TwoLapsKeepTheFasterAsBest)
{
    CLapTimer t;
    t.currentMs = 40000;
    t.passIntermediate();
    t.currentMs = 45000;
    t.passIntermediate();  // only the first crossing of a lap counts
    EXPECT_EQ(t.intermediateMs, 40000u);
    t.currentMs = 90000;
    t.passFinishLine();
    EXPECT_EQ(t.lapCount, 1u);
    EXPECT_EQ(t.currentMs, 0u);
    EXPECT_FALSE(t.lapArmed);
    EXPECT_EQ(t.bestLapMs, 90000u);
    EXPECT_EQ(t.bestLapIndex, 0);

    t.currentMs = 39000;
    t.passIntermediate();
    t.currentMs = 88500;
    t.passFinishLine();
    EXPECT_EQ(t.deltaToBestMs, -1500);
    EXPECT_EQ(t.lastLapMs, 88500u);
    EXPECT_EQ(t.bestLapMs, 88500u);
    EXPECT_EQ(t.bestLapIndex, 1);
    EXPECT_EQ(t.bestIntermediateMs, 39000u);
    EXPECT_EQ(t.bestLapText(), "1:28:500");
    ASSERT_EQ(t.laps.size(), 2u);
    EXPECT_EQ(t.laps[0].lapNumber, 1u);
    EXPECT_EQ(t.laps[0].timeMs, 90000u);
    EXPECT_EQ(t.laps[0].intermediateMs, 40000u);
    EXPECT_EQ(t.laps[1].lapNumber, 2u);
    EXPECT_EQ(t.laps[1].timeMs, 88500u);
}

TEST(LapTimerTest, EqualLapDoesNotTakeTheRecord)
{
    CLapTimer t;
    for (uint32_t split : {30000u, 31000u}) {
        t.currentMs = split;
        t.passIntermediate();
        t.currentMs = 80000;
        t.passFinishLine();
    }
    EXPECT_EQ(t.lapCount, 2u);
    EXPECT_EQ(t.bestLapIndex, 0);
    EXPECT_EQ(t.bestIntermediateMs, 30000u);
    EXPECT_EQ(t.deltaToBestMs, 0);
}

TEST(LapTimerTest, SprintMeasuresOnlyWhileRunning)
{
    CLapTimer t;
    t.stopSprint();  // nothing running: nothing changes
    EXPECT_EQ(t.sprintMs, 0u);
    t.currentMs = 1200;
    t.startSprint();
    EXPECT_TRUE(t.sprintRunning);
    t.currentMs = 6900;
    t.stopSprint();
    EXPECT_EQ(t.sprintMs, 5700u);
    EXPECT_FALSE(t.sprintRunning);
    t.currentMs = 9000;
    t.stopSprint();
    EXPECT_EQ(t.sprintMs, 5700u);
}

}  // namespace
