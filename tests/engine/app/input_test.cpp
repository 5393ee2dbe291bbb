// Touch sampling, edges, double tap, pinch and key input, driven through the
// same input calls the event pump makes.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

namespace {

// One game tick's worth of touch bookkeeping, as the game's tick runs it.
void RunTouchTick() {
  SampleTouchSlots();
  RefreshTouchLastPositions();
  FinishTouchTick();
}

void ResetTouchState() {
  InputReset(1024, 576);
  SetTouchArea(1024.0f, 576.0f);
  for (TouchSlot& slot : touchSlots) slot = TouchSlot{};
  // Settle the pinch's previous distance at 0 with both points at the origin.
  FinishTouchTick();
}

TEST(TouchRead, ScalesClientPixelsToTheVirtualScreen) {
  struct Case {
    int32_t clientW, clientH;
    float rawX, rawY;
    float wantX, wantY;
  };
  const Case cases[] = {
      {1024, 576, 100.0f, 200.0f, 100.0f, 200.0f},
      {1920, 1080, 960.0f, 540.0f, 512.0f, 288.0f},
      {1920, 1080, 1920.0f, 0.0f, 1024.0f, 0.0f},
      {512, 288, 256.0f, 144.0f, 512.0f, 288.0f},
      // Other shapes are letterboxed: bars above and below, or at the sides,
      // and a press on a bar lands outside the virtual screen.
      {1280, 800, 640.0f, 400.0f, 512.0f, 288.0f},
      {1280, 800, 0.0f, 40.0f, 0.0f, 0.0f},
      {1280, 800, 640.0f, 20.0f, 512.0f, -16.0f},
      {800, 800, 400.0f, 175.0f, 512.0f, 0.0f},
      {1000, 400, 144.0f, 400.0f, 0.0f, 576.0f},
      {1000, 400, 100.0f, 200.0f, -44.0f / 711.0f * 1024.0f, 288.0f},
  };
  for (const Case& c : cases) {
    InputReset(c.clientW, c.clientH);
    SetTouchArea(1024.0f, 576.0f);
    InputMouseMove(c.rawX, c.rawY);
    InputMouseButton(1);
    float x = -1.0f, y = -1.0f;
    EXPECT_EQ(GetTouch(0, &x, &y), 1) << c.clientW;
    EXPECT_FLOAT_EQ(x, c.wantX) << c.clientW;
    EXPECT_FLOAT_EQ(y, c.wantY) << c.clientW;
    float rx = -1.0f, ry = -1.0f;
    EXPECT_EQ(GetTouchRaw(0, &rx, &ry), 1);
    EXPECT_FLOAT_EQ(rx, c.rawX);
    EXPECT_FLOAT_EQ(ry, c.rawY);
  }
}

TEST(TouchRead, IndexOutsideTheFivePointsLeavesOutputsAlone) {
  InputReset(1024, 576);
  InputMouseMove(10.0f, 20.0f);
  InputMouseButton(1);
  for (int32_t index : {5, 6, -1, 1000}) {
    float x = 77.0f, y = 88.0f;
    EXPECT_EQ(GetTouch(index, &x, &y), 0) << index;
    EXPECT_EQ(GetTouchRaw(index, &x, &y), 0) << index;
    EXPECT_EQ(IsTouchDown(index), 0) << index;
    EXPECT_EQ(x, 77.0f);
    EXPECT_EQ(y, 88.0f);
  }
  EXPECT_EQ(IsTouchDown(0), 1);
  // Points 1 to 4 exist but nothing ever presses them.
  float x = 5.0f, y = 5.0f;
  EXPECT_EQ(GetTouch(4, &x, &y), 0);
  EXPECT_EQ(x, 0.0f);
}

TEST(TouchSlots, PressHoldAndReleaseEdges) {
  ResetTouchState();
  InputMouseMove(300.0f, 400.0f);
  InputMouseButton(1);
  // Tick by tick: is it a new press, is it a release, as the scenes test them.
  for (int tick = 0; tick < 10; ++tick) {
    SampleTouchSlots();
    TouchSlot& s = touchSlots[0];
    EXPECT_EQ(s.down, 1);
    EXPECT_EQ(s.down == 1 && s.wasDown == 0, tick == 0) << "tick " << tick;
    RefreshTouchLastPositions();
    FinishTouchTick();
  }
  EXPECT_FLOAT_EQ(touchSlots[0].startX, 300.0f);
  EXPECT_FLOAT_EQ(touchSlots[0].startY, 400.0f);

  // Dragging moves x, y but not the start of the press.
  InputMouseMove(320.0f, 410.0f);
  RunTouchTick();
  EXPECT_FLOAT_EQ(touchSlots[0].x, 320.0f);
  EXPECT_FLOAT_EQ(touchSlots[0].startX, 300.0f);

  InputMouseButton(0);
  SampleTouchSlots();
  EXPECT_TRUE(touchSlots[0].down != 1 && touchSlots[0].wasDown == 1);
  FinishTouchTick();
  SampleTouchSlots();
  EXPECT_FALSE(touchSlots[0].down != 1 && touchSlots[0].wasDown == 1);
  FinishTouchTick();
}

TEST(TouchSlots, PressConsumedByGameCodeIsNotNewAgainInTheSameTick) {
  ResetTouchState();
  InputMouseMove(50.0f, 60.0f);
  InputMouseButton(1);
  SampleTouchSlots();
  TouchSlot& s = touchSlots[0];
  ASSERT_TRUE(s.down == 1 && s.wasDown == 0);
  s.wasDown = 1;
  EXPECT_FALSE(s.down == 1 && s.wasDown == 0);
}

TEST(TouchSlots, LastPositionSkipsSamplesOnAnAxis) {
  ResetTouchState();
  struct Step {
    float x, y;
    float wantLastX, wantLastY;
  };
  const Step steps[] = {
      {100.0f, 50.0f, 100.0f, 50.0f},
      {0.0f, 70.0f, 100.0f, 50.0f},
      {30.0f, 0.0f, 100.0f, 50.0f},
      {30.0f, 40.0f, 30.0f, 40.0f},
  };
  for (const Step& step : steps) {
    InputMouseMove(step.x, step.y);
    RunTouchTick();
    EXPECT_FLOAT_EQ(touchSlots[0].lastX, step.wantLastX);
    EXPECT_FLOAT_EQ(touchSlots[0].lastY, step.wantLastY);
  }
}

// Presses the button for one tick at each listed tick number (counted from a
// fresh start) and returns the double-tap flag seen on the last press.
int32_t DoubleTapAfterPresses(std::initializer_list<int> pressTicks) {
  ResetTouchState();
  InputMouseMove(10.0f, 10.0f);
  int32_t flag = -1;
  int tick = 0;
  for (int pressAt : pressTicks) {
    for (; tick < pressAt; ++tick) {
      InputMouseButton(0);
      RunTouchTick();
    }
    InputMouseButton(1);
    SampleTouchSlots();
    flag = touchSlots[0].doubleTap;
    RefreshTouchLastPositions();
    FinishTouchTick();
    ++tick;
  }
  return flag;
}

TEST(TouchSlots, DoubleTapNeedsPressesFewerThanTwentyTicksApart) {
  struct Case {
    std::initializer_list<int> presses;
    int32_t want;
    const char* what;
  };
  const Case cases[] = {
      {{30, 49}, 1, "starts 19 ticks apart"},
      {{30, 50}, 0, "starts 20 ticks apart"},
      {{30, 32}, 1, "quick second tap"},
      {{19}, 1, "first press in tick 19 counts from program start"},
      {{20}, 0, "first press in tick 20"},
      {{30}, 0, "single late press"},
  };
  for (const Case& c : cases) EXPECT_EQ(DoubleTapAfterPresses(c.presses), c.want) << c.what;
}

TEST(TouchSlots, DoubleTapLastsUntilRelease) {
  EXPECT_EQ(DoubleTapAfterPresses({30, 35}), 1);
  // Still held: stays set.
  RunTouchTick();
  EXPECT_EQ(touchSlots[0].doubleTap, 1);
  InputMouseButton(0);
  RunTouchTick();
  EXPECT_EQ(touchSlots[0].doubleTap, 0);
}

TEST(TouchSlots, PinchDirectionFollowsTheDistanceChangeBeyondFive) {
  // Only point 0 moves; slot 1 stays at the origin, so the distance is |p0|.
  struct Case {
    float from, to;
    int32_t want;
  };
  const Case cases[] = {
      {100.0f, 106.0f, 1},  {100.0f, 105.0f, 0}, {100.0f, 94.0f, -1},
      {100.0f, 95.0f, 0},   {100.0f, 100.0f, 0}, {10.0f, 200.0f, 1},
  };
  for (const Case& c : cases) {
    ResetTouchState();
    InputMouseMove(c.from, 0.0f);
    RunTouchTick();
    InputMouseMove(c.to, 0.0f);
    RunTouchTick();
    EXPECT_FLOAT_EQ(pinchDistance, c.to);
    EXPECT_EQ(pinchDirection, c.want) << c.from << " -> " << c.to;
  }
}

TEST(Keys, ArrowDirectionIsUnitLengthAndRightAndDownWinTies) {
  struct Case {
    std::initializer_list<int32_t> held;
    float wantX, wantY;
    int32_t wantResult;
  };
  const float d = 1.0f / std::sqrt(2.0f);
  const Case cases[] = {
      {{}, 0.0f, 0.0f, 0},
      {{kKeyLeft}, -1.0f, 0.0f, 1},
      {{kKeyRight}, 1.0f, 0.0f, 1},
      {{kKeyUp}, 0.0f, -1.0f, 1},
      {{kKeyDown}, 0.0f, 1.0f, 1},
      {{kKeyLeft, kKeyRight}, 1.0f, 0.0f, 1},
      {{kKeyUp, kKeyDown}, 0.0f, 1.0f, 1},
      {{kKeyRight, kKeyDown}, d, d, 1},
      {{kKeyLeft, kKeyUp}, -d, -d, 1},
  };
  for (const Case& c : cases) {
    InputReset(1024, 576);
    for (int32_t key : c.held) InputKey(key, true);
    float x = 9.0f, y = 9.0f;
    EXPECT_EQ(GetArrowDirection(&x, &y), c.wantResult);
    EXPECT_NEAR(x, c.wantX, 1e-6f);
    EXPECT_NEAR(y, c.wantY, 1e-6f);
    for (int32_t key : c.held) InputKey(key, false);
    EXPECT_EQ(GetArrowDirection(&x, &y), 0);
  }
}

TEST(Keys, HeldKeysUseTheLowEightBitsAndF12IsAKeyLikeTheOthers) {
  ResetLoopState();
  InputReset(1024, 576);
  InputKey('A', true);
  EXPECT_EQ(IsKeyDown('A'), 1);
  EXPECT_EQ(IsKeyDown(0x100 | 'A'), 1);
  EXPECT_EQ(IsKeyDown('B'), 0);
  InputKey('A', false);
  EXPECT_EQ(IsKeyDown('A'), 0);

  // The platform answers F12 itself, at once; the input state only holds
  // it, so a press waiting in the hand-over cannot ask to quit a second time.
  EXPECT_EQ(GetQuitState(), 0);
  InputKey(kKeyF12, true);
  EXPECT_EQ(IsKeyDown(kKeyF12), 1);
  EXPECT_EQ(GetQuitState(), 0);
  InputKey(kKeyF12, false);
  ResetLoopState();
}

// Only the pad in play (the last to give input) counts when pulled out: not
// one never used, nor one resting, nor one the mouse has taken over from.
TEST(Pads, OnlyThePadInPlayCountsWhenPulledOut) {
  ResetTouchState();
  const uint32_t before = GetPadRemovalCount();
  InputPadButton(42, kKeyPadSouth, true);
  InputPadButton(42, kKeyPadSouth, false);
  InputPadStick(43, 0.1f, 0.0f);
  for (int32_t pad : {41, 43, 42}) InputPadRemoved(pad);
  EXPECT_EQ(GetPadRemovalCount(), before + 1);
  InputPadStick(44, 0.9f, 0.0f);
  InputPostEvent(InputEvent{InputEventType::kMouseMove, 0, 0, 100.0f, 100.0f});
  InputPadRemoved(44);
  EXPECT_EQ(GetPadRemovalCount(), before + 1);
  ResetTouchState();
}

}  // namespace
