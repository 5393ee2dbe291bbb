// Ticks for the front-scene tests, run the way the game's tick runs them:
// the scene's update, the fade, then the end-of-tick touch bookkeeping. The
// tests write touch slot 0's down flag themselves in place of sampling.
#pragma once

#include <cstdio>

#include "engine/app/app.h"
#include "game/scene/fade.h"
#include "game/scene/scene.h"
#include "support/engine/gl_test_context.h"

inline void RunSceneTick(void (*update)()) {
  update();
  if (FadeIsActive()) FadeUpdate();
  FinishTouchTick();
}

inline bool HavePicture(const char* name) {
  std::FILE* file = std::fopen(ContentsPath(name), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// A window, a clear request and no finger on the screen.
inline void StartSceneTest() {
  EnsureGlWindow();
  SetScreenSize(1024, 576);
  sceneRequestPending = 0;
  sceneRequestId = 0;
  for (TouchSlot& slot : touchSlots) slot = TouchSlot{};
}
