// The logo scene's four operations on its static record (see logo_scene.cpp).
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

struct LogoSceneState {
  Sprite logo;
  Texture firstTexture;
  Texture secondTexture;
  float ticks;
  int32_t phase;  // 0 first logo, 1 second logo
  bool skipped;   // tests that are about later scenes go straight on
};

extern LogoSceneState logoScene;

int32_t LogoSceneInit();
void LogoSceneUpdate();
void LogoSceneDraw();
void LogoSceneRelease();
