// Ticks fed by the main loop's passes, as where there are no threads (a
// browser page): which ticks a pass runs for its time, the deadline rule they
// share with the timer thread, the idle tick of a scene switch, and quitting.
// The passes' times are given, so the cadence is checked without a clock;
// no thread is started (the web build runs these tests too).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

namespace {

constexpr uint32_t kPeriod = 16;

TEST(NextTickDeadline, MakesUpLateTicksOnlyWithinTheCatchUp) {
  struct Case {
    const char* what;
    uint32_t deadline, now, catchUp, want;
  };
  const Case cases[] = {
      {"timer thread, on time: from now", 1000, 1000, 0, 1016},
      {"timer thread, late: from now, nothing made up", 1000, 1007, 0, 1023},
      {"passes, on time", 1000, 1000, 4, 1016},
      {"passes, 15 ms late: the cadence holds", 1000, 1015, 4, 1016},
      {"passes, three periods late: still made up", 1000, 1048, 4, 1016},
      {"passes, 63 ms late: the last late tick made up", 1000, 1063, 4, 1016},
      {"passes, four periods late: afresh from now", 1000, 1064, 4, 1080},
      {"passes, a long stall: afresh from now", 1000, 6000, 4, 6016},
      {"across the clock's wrap, on time", 0xFFFFFFF8u, 0xFFFFFFF8u, 4, 8},
      {"across the clock's wrap, late", 0xFFFFFFF8u, 10, 4, 8},
      {"across the clock's wrap, stalled", 0xFFFFFFF8u, 500, 4, 516},
      {"taken before its deadline (a wait): from now", 1000, 990, 4, 1006},
      {"taken before its deadline by the timer thread's wait", 1000, 990, 0, 1006},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextTickDeadline(c.deadline, c.now, kPeriod, c.catchUp), c.want) << c.what;
  }
}

std::vector<uint32_t> ticked;  // the pass time of each tick
uint32_t passTime = 0;

void RecordingTick() { ticked.push_back(passTime); }

// Starts frame-fed ticks at time 0 with the game's rate and a recording tick.
void StartAtZero() {
  ResetLoopState();
  ticked.clear();
  // Set first: the first deadline is one period of the rate set at the start.
  SetTickCallback(60, RecordingTick);
  ASSERT_EQ(StartFrameTicks(0), 0);
}

// One pass at time t.
void PassAt(uint32_t t) {
  passTime = t;
  RunDueTicks(t);
}

TEST(FrameTicks, DisplaysOfAnyRateGetSixtyTwoAndAHalfTicksASecond) {
  // Ten seconds of passes at each display's rate, at the whole millisecond
  // a frame starts: the ticks keep the timer thread's 16 ms cadence.
  struct Case {
    double displayHz;
    size_t mostPerPass;
  };
  const Case cases[] = {{60.0, 2}, {75.0, 1}, {144.0, 1}, {30.0, 3}, {20.0, 4}, {10.0, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.displayHz);
    StartAtZero();
    size_t most = 0;
    for (int frame = 1; frame * 1000.0 / c.displayHz <= 10000.0; ++frame) {
      size_t before = ticked.size();
      PassAt(static_cast<uint32_t>(frame * 1000.0 / c.displayHz));
      most = std::max(most, ticked.size() - before);
    }
    // 10 000 / 16 deadlines, the last of them at 10 000 ms itself.
    EXPECT_EQ(ticked.size(), 625u);
    EXPECT_LE(most, c.mostPerPass);
  }
  ResetLoopState();
}

TEST(FrameTicks, APassLaterThanTheCatchUpRunsOneTickAndStartsAfresh) {
  struct Case {
    const char* what;
    uint32_t late;       // the pass comes this long after the deadline at 16
    size_t ticksInPass;  // ticks that pass runs
    uint32_t nextDeadline;
  };
  const Case cases[] = {
      {"on time", 0, 1, 32},
      {"two periods late: three ticks", 32, 3, 64},
      {"just inside the catch-up: eight ticks", 127, 8, 144},
      {"at the catch-up: one tick, then from now", 128, 1, 160},
      {"a page hidden for a second", 1000, 1, 1032},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartAtZero();
    PassAt(15);
    EXPECT_TRUE(ticked.empty()) << "no tick before its deadline";
    PassAt(16 + c.late);
    EXPECT_EQ(ticked.size(), c.ticksInPass);
    PassAt(c.nextDeadline - 1);
    EXPECT_EQ(ticked.size(), c.ticksInPass);
    PassAt(c.nextDeadline);
    EXPECT_EQ(ticked.size(), c.ticksInPass + 1);
  }
  ResetLoopState();
}

TEST(FrameTicks, ASceneSwitchTakesTheIdleTickAndPausesTheGameForItsPeriod) {
  StartAtZero();
  PassAt(16);
  ASSERT_EQ(ticked.size(), 1u);
  // The switch: the callback emptied, then the wait for the next tick, which
  // is taken at once and sets the idle period's deadline from the clock.
  SetTickCallback(60, nullptr);
  const uint32_t before = GetTimeMs();
  WaitForTick();
  const uint32_t after = GetTimeMs();
  SetTickCallback(60, RecordingTick);
  EXPECT_EQ(ticked.size(), 1u) << "the awaited tick runs no game code";
  // The game's next tick comes 200 ms (5 per second) after the idle tick,
  // as after the timer thread's idle tick.
  PassAt(before + 199);
  EXPECT_EQ(ticked.size(), 1u);
  PassAt(after + 200);
  EXPECT_EQ(ticked.size(), 2u);
  ResetLoopState();
}

TEST(FrameTicks, WaitsReturnAtOnceAndQuittingStopsTheTicks) {
  StartAtZero();
  // A wait with the game's callback set: the awaited tick runs now.
  WaitForTick();
  EXPECT_EQ(ticked.size(), 1u);
  // Nothing could ever finish a frame while the caller waits.
  uint32_t start = GetTimeMs();
  WaitForFrame();
  EXPECT_LT(GetTimeMs() - start, 50u);
  // A second start is refused while ticks run.
  EXPECT_EQ(StartFrameTicks(0), 1);

  RequestQuit();
  size_t before = ticked.size();
  PassAt(100000);
  WaitForTick();
  EXPECT_EQ(ticked.size(), before);
  EXPECT_EQ(GetQuitState(), 1);
  ResetLoopState();
  // Without frame-fed ticks a pass runs none.
  ticked.clear();
  PassAt(100000);
  EXPECT_TRUE(ticked.empty());
}

}  // namespace
