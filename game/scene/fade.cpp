// The one black overlay: a white picture tinted black whose alpha moves by a
// fixed step every tick. Scenes fade in from it and leave through it.
//
// "White.png" is loaded by the first FadeStart. A FadeStart made in a tick
// (timer thread, no GL there) cannot load it: it only marks the load as
// wanted, and the next FadeDraw on the main thread makes it.
#include "game/scene/fade.h"

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/scene.h"

constexpr const char* kFadePicture = "White.png";
constexpr float kLeaveAlpha = 0.98f;
constexpr float kLeaveStep = 0.02f;

ScreenFade screenFade;

// Set by a FadeStart on the timer thread while no texture is loaded; cleared
// by the main thread's next attempt. Both run under the engine's game lock.
static bool fadeLoadWanted = false;

namespace {

int32_t LoadFadePicture() {
  return LoadContentsPicture(&screenFade.texture, kFadePicture);
}

}  // namespace

int32_t FadeStart(float alpha, float step, uint8_t active) {
  if (screenFade.texture == 0) {
    if (IsMainThread()) {
      // A failed load leaves the fade as it was; the next FadeStart retries.
      if (LoadFadePicture() != 0) return 1;
    } else {
      fadeLoadWanted = true;
    }
  }
  Sprite* s = &screenFade.sprite;
  s->pos = Vec2{512.0f, 288.0f};
  s->size = Vec2{1024.0f, 576.0f};
  s->color = Color{0.0f, 0.0f, 0.0f, alpha};
  s->uv[0] = 0.0f;
  s->uv[1] = 0.0f;
  s->uv[2] = 1.0f;
  s->uv[3] = 1.0f;
  s->angle = 0.0f;
  s->depth = 0.0f;
  screenFade.step = step;
  screenFade.active = active;
  return 0;
}

void FadeUpdate() {
  float& alpha = screenFade.sprite.color.a;
  alpha += screenFade.step;
  // Not clamped: a finished fade-out rests near 1.02, a fade-in near -0.02.
  if (alpha <= 0.0f || alpha >= 1.0f) screenFade.active = 0;
}

void FadeDraw() {
  if (screenFade.texture == 0 && fadeLoadWanted) {
    // One attempt per deferred FadeStart, so a missing picture prints once
    // per start as on the main thread, not once per frame.
    fadeLoadWanted = false;
    LoadFadePicture();
  }
  // Without the picture the fade still runs its course, only unseen.
  if (screenFade.texture == 0) return;
  DrawSprite(&screenFade.sprite, &screenFade.texture);
}

float FadeGetAlpha() { return screenFade.sprite.color.a; }

bool FadeIsActive() { return screenFade.active != 0; }

void FadeOutAndRequest(int32_t sceneId) {
  if (FadeGetAlpha() >= kLeaveAlpha) RequestScene(sceneId);
  if (!FadeIsActive()) FadeStart(0.0f, kLeaveStep, 1);
}
