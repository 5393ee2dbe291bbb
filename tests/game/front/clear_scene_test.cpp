// The clear scene: the score counts up and lands exactly on its value, the
// first tap only snaps the count, and only a later new press after tick 128
// fades to black and returns to the title.
#include "game/front/clear_scene.h"

#include <gtest/gtest.h>

#include <string>

#include "game/scene/round_state.h"
#include "scene_ticks.h"

namespace {

void StartClear(int32_t roundScore) {
  StartSceneTest();
  for (const char* name : {"gameBack.png", "balloonL.png", "pemoglut.png", "shadow.png",
                           "font.png", "White.png"}) {
    ASSERT_TRUE(HavePicture(name)) << name << ": the generated contents are needed";
  }
  score = roundScore;
  ASSERT_EQ(ClearSceneInit(), 0);
}

void Tick() { RunSceneTick(ClearSceneUpdate); }

// The eight digits as the glyph cells of "font.png" say, leftmost first.
std::string ShownDigits() {
  std::string digits;
  for (int k = 7; k >= 0; --k) {
    const Sprite& digit = clearScene.scoreDisplay.digits[k];
    const float column = digit.uv[0] * 32.0f;
    EXPECT_EQ(digit.uv[1], 0.25f);
    EXPECT_EQ(digit.uv[2], 0.03125f);
    digits += static_cast<char>('0' + static_cast<int>(column + 0.5f) - 16);
  }
  return digits;
}

void Press() {
  touchSlots[0].down = 1;
  Tick();
}

void Lift() {
  touchSlots[0].down = 0;
  Tick();
}

TEST(ClearScene, CountUpLandsExactlyOnTheScore) {
  struct Case {
    int32_t score;
    const char* digits;
  };
  for (const Case c : {Case{123456, "00123456"}, Case{0, "00000000"}, Case{19, "00000019"},
                       Case{99999999, "99999999"}}) {
    StartClear(c.score);
    int32_t last = 0;
    for (int tick = 1; tick <= 900; ++tick) {
      Tick();
      const int32_t shown = clearScene.scoreDisplay.shown;
      ASSERT_GE(shown, last) << c.score << " counts up only";
      ASSERT_LE(shown, c.score) << c.score << " never overshoots";
      last = shown;
    }
    EXPECT_EQ(last, c.score);
    EXPECT_EQ(ShownDigits(), c.digits);
    EXPECT_EQ(sceneRequestPending, 0);
    ClearSceneRelease();
  }
}

TEST(ClearScene, SingleTapOnlySnapsTheCountEvenLateAndHeld) {
  StartClear(123456);
  for (int tick = 1; tick <= 200; ++tick) Tick();
  ASSERT_LT(clearScene.scoreDisplay.shown, 123456) << "still counting at tick 200";
  Press();
  EXPECT_EQ(clearScene.snapped, 1);
  EXPECT_FALSE(clearScene.leaving);
  // The same press, held, does not count again.
  for (int i = 0; i < 100; ++i) Tick();
  EXPECT_EQ(ShownDigits(), "00123456");
  Lift();
  for (int i = 0; i < 300; ++i) Tick();
  EXPECT_FALSE(clearScene.leaving);
  EXPECT_EQ(sceneRequestPending, 0);
  ClearSceneRelease();
}

TEST(ClearScene, LaterTapAfterTick128LeavesFiftyTicksOn) {
  StartClear(123456);
  for (int tick = 1; tick < 5; ++tick) Tick();
  Press();  // tick 5: snaps
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(ShownDigits(), "00123456");
  Lift();
  for (int tick = 11; tick < 60; ++tick) Tick();
  Press();  // tick 60: too early, does nothing
  EXPECT_FALSE(clearScene.leaving);
  Lift();
  for (int tick = 62; tick < 140; ++tick) Tick();
  Press();  // tick 140
  EXPECT_TRUE(clearScene.leaving);
  int requestTick = -1;
  for (int tick = 141; tick <= 300 && requestTick < 0; ++tick) {
    Tick();
    if (sceneRequestPending == 1) requestTick = tick;
  }
  EXPECT_EQ(requestTick, 190);
  EXPECT_EQ(sceneRequestId, kSceneTitle);
  ClearSceneRelease();
}

}  // namespace
