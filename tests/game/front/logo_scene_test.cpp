// The logo scene's timeline, tick by tick: first logo held, faded out, the
// second faded in and held, then the fade to black and the title request.
#include "game/front/logo_scene.h"

#include <gtest/gtest.h>

#include <vector>

#include "scene_ticks.h"

namespace {

TEST(LogoScene, TimelineEndsWithTheTitleRequestAtTick384) {
  StartSceneTest();
  ASSERT_TRUE(HavePicture("Logo.png") && HavePicture("Logo_pemo.png") && HavePicture("White.png"))
      << "the generated contents are needed (target contents)";
  ASSERT_EQ(LogoSceneInit(), 0);

  int firstFadeTick = -1, phaseOneTick = -1, blackFadeTick = -1, requestTick = -1;
  for (int tick = 1; tick <= 600 && requestTick < 0; ++tick) {
    const bool fadeWasActive = FadeIsActive();
    const int32_t phase = logoScene.phase;
    RunSceneTick(LogoSceneUpdate);
    if (firstFadeTick < 0 && logoScene.logo.color.a < 1.0f && logoScene.phase == 0) {
      firstFadeTick = tick;
    }
    if (phase == 0 && logoScene.phase == 1) phaseOneTick = tick;
    if (!fadeWasActive && FadeIsActive()) blackFadeTick = tick;
    if (sceneRequestPending == 1) requestTick = tick;
    if (tick == 60) {
      EXPECT_FALSE(FadeIsActive()) << "the opening fade-in is over";
    }
  }
  // The first logo stands until tick 120 and is gone 51 ticks later.
  EXPECT_EQ(firstFadeTick, 120);
  EXPECT_EQ(phaseOneTick, 170);
  // The second logo reaches 0.9 at tick 215 and stands 120 ticks from there.
  EXPECT_EQ(blackFadeTick, 334);
  EXPECT_EQ(requestTick, 384);
  EXPECT_EQ(sceneRequestId, kSceneTitle);
  EXPECT_GE(logoScene.logo.color.a, 1.0f);
  LogoSceneRelease();
  EXPECT_EQ(logoScene.firstTexture, 0u);
  EXPECT_EQ(logoScene.secondTexture, 0u);
}

// Counts non-black pixels inside and outside the logo's 327.68 x 307.2 box.
void CountLit(int* inside, int* outside) {
  const std::vector<uint8_t> px = ReadFramePixels();
  *inside = *outside = 0;
  for (int y = 0; y < kTestFrameHeight; ++y) {
    for (int x = 0; x < kTestFrameWidth; ++x) {
      const uint8_t* p = &px[(y * kTestFrameWidth + x) * 4];
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
      const bool in = x >= 347 && x <= 676 && y >= 133 && y <= 442;
      ++(in ? *inside : *outside);
    }
  }
}

TEST(LogoScene, DrawsTheLogoOfItsPhaseInTheMiddleOnly) {
  StartSceneTest();
  ASSERT_TRUE(HavePicture("Logo.png") && HavePicture("Logo_pemo.png"));
  ASSERT_EQ(LogoSceneInit(), 0);
  struct Case {
    int32_t phase;
    bool drawn;
  };
  for (const Case c : {Case{0, true}, Case{1, true}, Case{2, false}}) {
    logoScene.phase = c.phase;
    ClearScreen();
    LogoSceneDraw();
    int inside = 0, outside = 0;
    CountLit(&inside, &outside);
    EXPECT_EQ(outside, 0) << "phase " << c.phase;
    EXPECT_EQ(inside > 1000, c.drawn) << "phase " << c.phase;
  }
  LogoSceneRelease();
}

}  // namespace
