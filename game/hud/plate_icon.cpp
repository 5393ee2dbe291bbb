// The new-plate icon: launched on a 6-combo, it flies to the customer growing
// then shrinking, rests there, and a tap on it costs 100 gauge with a sound
// and a ring of sparks that home back on the spot.
#include "game/hud/plate_icon.h"

#include <cmath>
#include <cstdlib>

#include "engine/app/app.h"
#include "game/field/customer.h"
#include "game/scene/contents_picture.h"
#include "game/scene/key_play.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

namespace {

constexpr float kIconSize = 64.0f;
constexpr float kRestingSize = 80.0f;
constexpr float kSmallestWidth = 0.2f;
constexpr float kSpeedGain = 0.12f;
constexpr float kShrinkFactor = 1.5f;
constexpr float kTapCost = 100.0f;
constexpr int kSparkCount = 16;
constexpr float kSparkSpeed = 12.0f;
constexpr float kPi = 3.14159265358979f;
constexpr int32_t kSparkShape = 2;

}  // namespace

PlateIcon plateIcon;

int32_t PlateIconInit(PlateIcon* p) {
  const char* kIconFile = "plateIcon.png";
  if (LoadContentsPicture(&p->texture, kIconFile) != 0) return 1;
  SpriteInit(&p->icon);
  p->icon.pos = MakeVec2(0.0f, 0.0f);
  p->icon.size = MakeVec2(kIconSize, kIconSize);
  p->icon.color = MakeColor(1, 1, 1, 1);
  p->active = false;
  p->burst = false;
  p->arrived = false;
  p->consumed = false;
  p->direction = MakeVec2(0.0f, 0.0f);
  // A flight cut short by leaving the round would otherwise leave its speed
  // behind, and the next round's first icon would start off fast.
  p->speed = 0.0f;
  SoundCue::LoadSe(&p->tapSound, "SE_NewPlate.ogg");
  ParticleInit(&p->sparks);
  return 0;
}

void PlateIconLaunch(PlateIcon* p, float targetX, float startX, float startY) {
  p->icon.pos = MakeVec2(startX, startY);
  p->active = true;
  p->burst = false;
  p->distance = targetX - p->icon.pos.x;
}

// One tick of the flight toward the customer at `target`.
void PlateIconFly(PlateIcon* p, Vec2 target) {
  if (PointInCircle(target, p->icon.pos, p->icon.size.x / 2)) {
    p->icon.size = MakeVec2(kRestingSize, kRestingSize);
    p->arrived = true;
    return;
  }
  p->direction = Vec2Mul(Vec2Normalize(Vec2Sub(target, p->icon.pos)), MakeVec2(p->speed, p->speed));
  p->icon.pos = Vec2Add(p->icon.pos, p->direction);
  // Grows over the first half of the horizontal trip, shrinks over the second.
  if (p->icon.pos.x >= target.x - p->distance / 2) {
    p->icon.size.x -= kShrinkFactor * p->speed;
    p->icon.size.y -= kShrinkFactor * p->speed;
  } else {
    p->icon.size.x += p->speed;
    p->icon.size.y += p->speed;
  }
  if (p->icon.size.x < kSmallestWidth) p->icon.size = MakeVec2(kRestingSize, kRestingSize);
  p->speed += kSpeedGain;
}

void PlateIconUpdate(PlateIcon* p) {
  const Vec2 target = customer.character.sprite.pos;
  if (p->active && !p->arrived) {
    PlateIconFly(p, target);
  } else if (p->active && p->arrived) {
    p->icon.size = MakeVec2(kRestingSize, kRestingSize);
  }

  // A finger held on the resting icon takes it (held, not only a new press),
  // and so does its key.
  const TouchSlot& finger = touchSlots[0];
  const bool keyTap = KeyPlayPlateTapPressed();
  if (!boardChanging && (finger.down == 1 || keyTap) && p->arrived) {
    Bounds box;
    SpriteBounds(&p->icon, &box);
    if (keyTap || PointInBounds(MakeVec2(finger.x, finger.y), box)) {
      SoundCue::Play(&p->tapSound);
      p->arrived = false;
      p->active = false;
      p->direction = MakeVec2(0.0f, 0.0f);
      p->speed = 0.0f;
      p->burst = true;
      p->consumed = true;
      gaugeLevel -= kTapCost;
    }
  }

  if (p->burst) {
    if (!ParticleGetEmitted(&p->sparks)) {
      const int32_t color = LookRandomInt(0, 3);
      for (int i = 0; i < kSparkCount; ++i) {
        const float a = static_cast<float>(i) * kPi / 8.0f;
        ParticleSpawn(&p->sparks, p->icon.pos.x, p->icon.pos.y, kSparkSpeed * std::sin(a),
                      kSparkSpeed * std::cos(a), color, kSparkShape);
      }
      ParticleSetEmitted(&p->sparks, true);
    }
  } else {
    ParticleSetEmitted(&p->sparks, false);
  }

  // The sparks home back on where the icon was tapped.
  p->sparks.attractor = p->icon.pos;
  ParticleUpdate(&p->sparks);
}

void PlateIconDraw(PlateIcon* p) {
  if (p->active) DrawSprite(&p->icon, &p->texture);
  ParticleDraw(&p->sparks, &particleTexture);
}

void PlateIconRelease(PlateIcon* p) {
  DeleteTexture(&p->texture);
  // The shared spark picture: whichever of its two owners releases first
  // frees it; the handle reads 0 afterwards, so the second does nothing.
  DeleteTexture(&particleTexture);
  SoundCue::Release(&p->tapSound);
  // Sparks still in the air when the round is left are freed with the icon.
  ParticleClear(&p->sparks);
  p->active = false;
  p->arrived = false;
  p->burst = false;
}
