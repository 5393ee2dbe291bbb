// The screen fade: how many ticks fades take in single precision, how long
// a leaving scene takes to make its request, and that a fade started in a
// tick leaves its picture load to the main thread.
#include "game/scene/fade.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "engine/app/app.h"
#include "game/scene/scene.h"
#include "support/engine/gl_test_context.h"

namespace {

void SetFade(float alpha, float step) {
  screenFade.sprite.color.a = alpha;
  screenFade.step = step;
  screenFade.active = 1;
}

int UpdatesUntilStopped(int limit) {
  for (int n = 1; n <= limit; ++n) {
    FadeUpdate();
    if (!FadeIsActive()) return n;
  }
  return -1;
}

TEST(ScreenFade, FadesStopAfterTheirTickCountsAndKeepTheOvershoot) {
  struct Case {
    float alpha, step;
    int stopsAt;
    float restingAlpha;
  };
  const Case cases[] = {
      {1.0f, -0.02f, 51, -0.02f},  // every scene's fade-in
      {1.0f, -0.05f, 20, 0.0f},    // the loading scene's fade-in, just below 0
      {0.0f, 0.02f, 51, 1.02f},    // a scene leaving
      {0.0f, -0.02f, 1, -0.02f},   // the HUD's start, overridden at once
  };
  for (const Case& c : cases) {
    SetFade(c.alpha, c.step);
    EXPECT_EQ(UpdatesUntilStopped(200), c.stopsAt) << c.alpha << " step " << c.step;
    EXPECT_NEAR(FadeGetAlpha(), c.restingAlpha, 1e-5f);
  }
}

TEST(ScreenFade, FadeOutCrossesTheLeaveThresholdOnItsFiftiethUpdate) {
  SetFade(0.0f, 0.02f);
  for (int n = 1; n < 50; ++n) FadeUpdate();
  EXPECT_LT(FadeGetAlpha(), 0.98f) << "49 updates";
  FadeUpdate();
  EXPECT_GE(FadeGetAlpha(), 0.98f) << "50 updates";
  EXPECT_TRUE(FadeIsActive());
}

// The fade needs its picture before FadeStart can run on the main thread.
void EnsureFadeTexture() {
  EnsureGlWindow();
  SetScreenSize(1024, 576);
  if (screenFade.texture == 0) {
    const uint8_t white[4] = {255, 255, 255, 255};
    ASSERT_EQ(CreateTextureFromPixels(&screenFade.texture, 1, 1, kPixelRgba, white), 0);
  }
}

// Ticks as the game runs them: the leaving scene, then the fade. Returns
// the tick (counted from 0) in which the request is made.
int TicksUntilRequest(int limit) {
  sceneRequestPending = 0;
  for (int tick = 0; tick < limit; ++tick) {
    FadeOutAndRequest(kSceneTitle);
    const bool requested = sceneRequestPending == 1;
    if (FadeIsActive()) FadeUpdate();
    if (requested) return tick;
  }
  return -1;
}

TEST(ScreenFade, LeavingRequestsOnceTheFadeOutIsNearlyBlack) {
  EnsureFadeTexture();
  struct Case {
    const char* when;
    float alpha, step;
    int fadeInUpdates;
    int requestTick;
  };
  const Case cases[] = {
      // No fade running: the fade-out starts in tick 0, the request comes 50 later.
      {"after the fade-in", -0.02f, -0.02f, 0, 50},
      // The opening fade-in is still at 1 or 0.98: requested at once.
      {"at the start of the fade-in", 1.0f, -0.02f, 0, 0},
      {"one tick into the fade-in", 1.0f, -0.02f, 1, 0},
      // Later, the fade-out waits for the fade-in's remaining 41 updates.
      {"ten ticks into the fade-in", 1.0f, -0.02f, 10, 91},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(FadeStart(c.alpha, c.step, 1), 0);
    if (c.alpha < 0.0f) screenFade.active = 0;
    for (int i = 0; i < c.fadeInUpdates; ++i) FadeUpdate();
    EXPECT_EQ(TicksUntilRequest(300), c.requestTick) << c.when;
    EXPECT_EQ(sceneRequestId, kSceneTitle);
  }
  // In the tick of the request the fade's own update passes 1 and stops it.
  ASSERT_EQ(FadeStart(0.0f, 0.02f, 1), 0);
  for (int i = 0; i < 50; ++i) FadeUpdate();
  FadeOutAndRequest(kSceneTitle);
  FadeUpdate();
  EXPECT_FALSE(FadeIsActive());
}

TEST(ScreenFade, StartSetsTheFullScreenBlackOverlay) {
  EnsureFadeTexture();
  ASSERT_EQ(FadeStart(0.25f, 0.02f, 1), 0);
  const Sprite& s = screenFade.sprite;
  EXPECT_EQ(s.pos.x, 512.0f);
  EXPECT_EQ(s.pos.y, 288.0f);
  EXPECT_EQ(s.size.x, 1024.0f);
  EXPECT_EQ(s.size.y, 576.0f);
  EXPECT_EQ(s.color.r + s.color.g + s.color.b, 0.0f);
  EXPECT_EQ(s.color.a, 0.25f);
  // Drawn at alpha 1 over white, the whole frame turns black.
  SetClearColor(1, 1, 1, 1);
  ClearScreen();
  ASSERT_EQ(FadeStart(1.0f, -0.02f, 1), 0);
  FadeDraw();
  for (auto [x, y] : {std::pair{0, 0}, {1023, 575}, {512, 288}, {1023, 0}}) {
    EXPECT_EQ(PixelAt(x, y), (Color4{0, 0, 0, 255})) << x << "," << y;
  }
  SetClearColor(0, 0, 0, 1);
}

TEST(ScreenFade, StartInATickLeavesThePictureLoadToTheNextDraw) {
  EnsureGlWindow();
  DeleteTexture(&screenFade.texture);
  ASSERT_EQ(screenFade.texture, 0u);

  std::thread tick([] { FadeStart(0.0f, 0.02f, 1); });
  tick.join();
  // The timer thread started the fade but made no GL call.
  EXPECT_EQ(screenFade.texture, 0u);
  EXPECT_TRUE(FadeIsActive());
  EXPECT_EQ(FadeGetAlpha(), 0.0f);

  std::FILE* file = std::fopen(ContentsPath("White.png"), "rb");
  const bool havePicture = file != nullptr;
  if (file) std::fclose(file);

  testing::internal::CaptureStdout();
  FadeDraw();
  FadeDraw();
  std::fflush(stdout);
  const std::string out = testing::internal::GetCapturedStdout();
  if (havePicture) {
    EXPECT_NE(screenFade.texture, 0u);
    EXPECT_EQ(out, "");
  } else {
    // One attempt per deferred start, not one per frame.
    EXPECT_EQ(screenFade.texture, 0u);
    EXPECT_EQ(out, "テクスチャ読み込み失敗White.png\n");
  }
}

}  // namespace
