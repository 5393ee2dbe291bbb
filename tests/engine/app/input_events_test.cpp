// The hand-over of events from the pump to the ticks: whatever arrives
// between two ticks, every press and release is seen by a tick of its own,
// presses are seen where they happened, and a flood of motion is merged into
// the latest position. Each test runs with a real timer thread, and with the
// ticks fed by the main loop's passes as where there are no threads (only the
// latter where the system has none, as in the web build).
#include <gtest/gtest.h>

#include <vector>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"
#include "engine/app/platform.h"

namespace {

// Who runs the ticks in a test.
enum class Ticks { kTimerThread, kMainLoopPasses };

std::vector<Ticks> TickFeeds() {
  if (!PlatformHasThreads()) return {Ticks::kMainLoopPasses};
  return {Ticks::kTimerThread, Ticks::kMainLoopPasses};
}

class InputHandOver : public ::testing::TestWithParam<Ticks> {};

// What one tick saw of touch slot 0 and the Escape key.
struct Seen {
  int32_t down;
  float x, y;
  int32_t escapePressed;
};

// Written by the timer thread while it runs, read once it has stopped.
std::vector<Seen> seen;

void RecordingTick() {
  SampleTouchSlots();
  const TouchSlot& slot = touchSlots[0];
  seen.push_back(Seen{slot.down, slot.x, slot.y, IsKeyPressed(kKeyEscape)});
  FinishTouchTick();
}

InputEvent Move(float x, float y) { return InputEvent{InputEventType::kMouseMove, 0, 0, x, y}; }
InputEvent Button(int32_t down, float x, float y) {
  return InputEvent{InputEventType::kMouseButton, 0, down, x, y};
}
InputEvent Key(int32_t key, int32_t down) { return InputEvent{InputEventType::kKey, key, down, 0, 0}; }

// Posts a burst of events as one frame's pump would, then pumps frames every
// millisecond until nothing waits, and lets a few more ticks run. Fed by the
// passes, each frame runs its due ticks before its pump, as a pass does.
std::vector<Seen> RunBurst(const std::vector<InputEvent>& burst, Ticks feed) {
  InputReset(1024, 576);
  SetTouchArea(1024.0f, 576.0f);
  for (TouchSlot& slot : touchSlots) slot = TouchSlot{};
  ResetLoopState();
  seen.clear();
  seen.reserve(4096);
  SetTickCallback(60, RecordingTick);
  const bool passes = feed == Ticks::kMainLoopPasses;
  EXPECT_EQ(passes ? StartFrameTicks(GetTimeMs()) : StartTimerThread(), 0);
  WaitForTick();
  for (const InputEvent& e : burst) InputPostEvent(e);
  for (int frames = 0; InputPendingCount() > 0 && frames < 5000; ++frames) {
    SleepMs(1);
    if (passes) RunDueTicks(GetTimeMs());
    InputFlushEvents();
  }
  EXPECT_EQ(InputPendingCount(), 0);
  for (int i = 0; i < 3; ++i) WaitForTick();
  StopTimerThread();
  ResetLoopState();
  return seen;
}

// The runs of equal down values, in order, as (down, x, y) at their first tick.
std::vector<Seen> Runs(const std::vector<Seen>& ticks) {
  std::vector<Seen> runs;
  for (const Seen& s : ticks) {
    if (runs.empty() || runs.back().down != s.down) runs.push_back(s);
  }
  return runs;
}

}  // namespace

TEST_P(InputHandOver, EveryPressAndReleaseBetweenTwoTicksIsSeenByATickOfItsOwn) {
  struct Case {
    const char* what;
    std::vector<InputEvent> burst;
    // Expected runs after the first (up) one: down values and positions.
    std::vector<Seen> runs;
  };
  const Case cases[] = {
      {"a click", {Move(100, 50), Button(1, 100, 50), Button(0, 100, 50)},
       {{1, 100, 50, 0}, {0, 100, 50, 0}}},
      {"a double click", {Button(1, 10, 10), Button(0, 10, 10), Button(1, 20, 20), Button(0, 20, 20)},
       {{1, 10, 10, 0}, {0, 10, 10, 0}, {1, 20, 20, 0}, {0, 20, 20, 0}}},
      // The press is seen where it happened, not where the finger went next.
      {"a press, then a drag", {Button(1, 300, 200), Move(310, 200), Move(400, 220), Button(0, 420, 230)},
       {{1, 300, 200, 0}, {0, 420, 230, 0}}},
      // A second release changes nothing and costs no tick.
      {"a release twice", {Button(1, 5, 5), Button(0, 5, 5), Button(0, 6, 6)}, {{1, 5, 5, 0}, {0, 5, 5, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<Seen> runs = Runs(RunBurst(c.burst, GetParam()));
    ASSERT_FALSE(runs.empty()) << c.what;
    ASSERT_EQ(runs.front().down, 0) << c.what;
    runs.erase(runs.begin());
    ASSERT_EQ(runs.size(), c.runs.size()) << c.what;
    for (size_t i = 0; i < runs.size(); ++i) {
      EXPECT_EQ(runs[i].down, c.runs[i].down) << c.what << " run " << i;
      EXPECT_FLOAT_EQ(runs[i].x, c.runs[i].x) << c.what << " run " << i;
      EXPECT_FLOAT_EQ(runs[i].y, c.runs[i].y) << c.what << " run " << i;
    }
  }
}

TEST_P(InputHandOver, AKeyTappedBetweenTwoTicksIsPressedInExactlyOneTick) {
  int pressedTicks = 0;
  for (const Seen& s : RunBurst({Key(kKeyEscape, 1), Key(kKeyEscape, 0)}, GetParam())) pressedTicks += s.escapePressed;
  EXPECT_EQ(pressedTicks, 1);

  // Held over many ticks, with repeats: still one press.
  pressedTicks = 0;
  std::vector<InputEvent> held = {Key(kKeyEscape, 1)};
  for (int i = 0; i < 20; ++i) held.push_back(Key(kKeyEscape, 1));
  for (const Seen& s : RunBurst(held, GetParam())) pressedTicks += s.escapePressed;
  EXPECT_EQ(pressedTicks, 1);
  InputKey(kKeyEscape, false);
}

TEST_P(InputHandOver, AFloodOfMotionMergesAndThePressAfterItIsSeenAtOnce) {
  // Ten thousand moves in one frame, then a click: the moves cost no tick
  // and the click is seen where it was made.
  std::vector<InputEvent> burst;
  for (int i = 0; i < 10000; ++i) burst.push_back(Move(static_cast<float>(i % 1000), 100));
  burst.push_back(Button(1, 700, 300));
  burst.push_back(Button(0, 700, 300));
  std::vector<Seen> ticks = RunBurst(burst, GetParam());
  std::vector<Seen> runs = Runs(ticks);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FLOAT_EQ(runs[1].x, 700);
  EXPECT_FLOAT_EQ(runs[1].y, 300);
  EXPECT_EQ(runs[2].down, 0);
  // The press came within two ticks of the burst.
  size_t firstDown = 0;
  while (firstDown < ticks.size() && ticks[firstDown].down == 0) ++firstDown;
  EXPECT_LE(firstDown, 3u);
}

TEST(InputHandOverWithoutTicks, WithoutTicksSamplingTheRawStateFollowsAtOnce) {
  // No timer thread (a scene switch pauses the ticks in the same way).
  InputReset(1024, 576);
  ResetLoopState();
  InputPostEvent(Button(1, 40, 30));
  InputPostEvent(Button(0, 41, 31));
  EXPECT_EQ(InputPendingCount(), 0);
  float x = 0, y = 0;
  EXPECT_EQ(GetTouch(0, &x, &y), 0);
  EXPECT_FLOAT_EQ(x, 41);
  EXPECT_FLOAT_EQ(y, 31);
}

namespace {

// The pump may apply a change while a tick is reading the point it changes.
// The hook lands the second tap of a double tap at that moment, in every
// sampling, until one has seen it: the tick that first sees the press must
// see it at its own spot, not where the first tap was.
InputEvent landingTap = Button(1, 700, 400);
bool tapLanded;
void LandTapInsideTheRead() {
  if (tapLanded) return;
  tapLanded = true;
  InputPostEvent(landingTap);
}

}  // namespace

TEST(InputHandOverWithoutTicks, APressLandingWhileATickReadsIsSeenAtItsOwnSpot) {
  InputReset(1024, 576);
  SetTouchArea(1024.0f, 576.0f);
  ResetLoopState();
  for (TouchSlot& slot : touchSlots) slot = TouchSlot{};
  const struct {
    const char* what;
    std::vector<InputEvent> before;
    InputEvent landing;
  } cases[] = {
      {"a tap after a tap elsewhere", {Button(1, 100, 100), Button(0, 100, 100)}, Button(1, 700, 400)},
      {"a press after a move", {Move(20, 30)}, Button(1, 500, 60)},
  };
  for (const auto& c : cases) {
    InputMouseButton(0);
    for (const InputEvent& e : c.before) InputPostEvent(e);
    SampleTouchSlots();
    FinishTouchTick();
    landingTap = c.landing;
    tapLanded = false;
    SetTouchReadHook(LandTapInsideTheRead);
    for (int tick = 0; tick < 2 && touchSlots[0].down == 0; ++tick) {
      SampleTouchSlots();
      FinishTouchTick();
    }
    SetTouchReadHook(nullptr);
    ASSERT_EQ(touchSlots[0].down, 1) << c.what;
    EXPECT_FLOAT_EQ(touchSlots[0].startX, c.landing.x) << c.what;
    EXPECT_FLOAT_EQ(touchSlots[0].startY, c.landing.y) << c.what;
    float x = 0, y = 0;
    EXPECT_EQ(GetTouchRaw(0, &x, &y), 1) << c.what;
    EXPECT_FLOAT_EQ(x, c.landing.x) << c.what;
  }
  InputMouseButton(0);
}

INSTANTIATE_TEST_SUITE_P(Feeds, InputHandOver, ::testing::ValuesIn(TickFeeds()),
                         [](const ::testing::TestParamInfo<Ticks>& info) {
                           return info.param == Ticks::kTimerThread ? "TimerThread" : "MainLoopPasses";
                         });
