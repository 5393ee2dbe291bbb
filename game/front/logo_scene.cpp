// The logo scene: two logos, one after the other, on a black screen, then a
// fade to black and the request for the title scene. Reacts to no input.
#include "game/front/logo_scene.h"

#include <cstdlib>

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/scene.h"

constexpr const char* kFirstLogo = "Logo.png";
constexpr const char* kSecondLogo = "Logo_pemo.png";
// Ticks a logo stands before the scene moves on.
constexpr float kLogoHoldTicks = 120.0f;
constexpr float kLogoAlphaStep = 0.02f;
// The second logo's hold time starts only once it is this visible.
constexpr float kLogoShownAlpha = 0.9f;

LogoSceneState logoScene;

int32_t LogoSceneInit() {
  // Only tests set it: whole-program tests about later scenes save the
  // logos' six seconds on every start. The pictures are loaded all the same.
  logoScene.skipped = std::getenv("TIDE_TEST_SKIP_LOGOS") != nullptr;
  if (LoadContentsPicture(&logoScene.firstTexture, kFirstLogo) != 0) return 1;
  if (LoadContentsPicture(&logoScene.secondTexture, kSecondLogo) != 0) return 1;

  Sprite* logo = &logoScene.logo;
  SpriteInit(logo);
  logo->pos = Vec2{512.0f, 288.0f};
  logo->size = Vec2{327.68f, 307.2f};
  logo->color = Color{1.0f, 1.0f, 1.0f, 1.0f};
  logo->depth = 0.0f;
  FadeStart(1.0f, -0.02f, 1);
  logoScene.ticks = 0.0f;
  logoScene.phase = 0;
  return 0;
}

void LogoSceneUpdate() {
  if (logoScene.skipped) {
    FadeOutAndRequest(kSceneTitle);
    return;
  }
  float& alpha = logoScene.logo.color.a;
  logoScene.ticks += 1.0f;
  if (logoScene.ticks >= kLogoHoldTicks) {
    if (logoScene.phase == 0) {
      alpha -= kLogoAlphaStep;
      if (alpha < 0.0f) logoScene.phase = 1;
    } else if (logoScene.phase == 1) {
      FadeOutAndRequest(kSceneTitle);
    }
  }
  // The second logo fades in from the tick the first one has gone.
  if (alpha < 1.0f && logoScene.phase == 1) {
    alpha += kLogoAlphaStep;
    if (alpha < kLogoShownAlpha) logoScene.ticks = 0.0f;
  }
}

void LogoSceneDraw() {
  if (logoScene.phase == 0) {
    DrawSprite(&logoScene.logo, &logoScene.firstTexture);
  } else if (logoScene.phase == 1) {
    DrawSprite(&logoScene.logo, &logoScene.secondTexture);
  }
}

void LogoSceneRelease() {
  DeleteTexture(&logoScene.firstTexture);
  DeleteTexture(&logoScene.secondTexture);
}
