// The one black overlay every scene fades in from and out to. FadeStart runs
// on either thread (a texture load it needs is deferred to the main thread);
// FadeUpdate runs in the tick, FadeDraw in the frame.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

struct ScreenFade {
  Sprite sprite;
  Texture texture;
  float step;
  uint8_t active;
};

extern ScreenFade screenFade;

int32_t FadeStart(float alpha, float step, uint8_t active);
void FadeUpdate();
void FadeDraw();
float FadeGetAlpha();
bool FadeIsActive();

// One tick of a scene that is leaving: once the screen is nearly black,
// request the scene id; start the fade to black when no fade runs.
void FadeOutAndRequest(int32_t sceneId);
