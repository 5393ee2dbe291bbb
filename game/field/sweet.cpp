// The 30 sweet slots of a plate: each waits until the finger is lifted, is
// served 33 ticks after the one before with its sound, combo and sparks, then
// flies to the customer's mouth, swelling up to its own half-way point and
// shrinking after it.
#include "game/field/sweet.h"

#include <cmath>
#include <cstdlib>

#include "engine/app/app.h"
#include "game/field/customer.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

Sweet sweetSlots[kSweetSlotCount];

namespace {

constexpr float kSweetScale = 3.5f;
constexpr float kSweetPixels = 64.0f;
constexpr float kStartSpeed = 2.2f;
constexpr float kSpeedGain = 0.17f;
constexpr float kShrinkFactor = 1.5f;
constexpr float kMinWidth = 0.2f;
constexpr float kCollapsedSize = 0.1f;
constexpr int32_t kServingGap = 33;
constexpr float kParkX = 10.0f;
constexpr float kParkY = 1224.0f;
constexpr int32_t kBurstSize = 16;
constexpr float kBurstSpeed = 12.0f;
constexpr float kBurstStep = 0.39269909262657166f;
constexpr int32_t kSparkShape = 2;
constexpr int32_t kDigitOffset = 16;

// Texture-rectangle u of each kind in "sweets.png"; failed and none share
// the last picture.
float KindU(int32_t kind) {
  switch (kind) {
    case 1: return 0.0f;
    case 2: return 0.25f;
    case 3: return 0.5f;
    default: return 0.75f;
  }
}

void SetComboTexts(Sweet* sweet) {
  if (comboCount > 1) {
    const char digit[2] = {static_cast<char>(comboCount + kDigitOffset), '\0'};
    const int32_t hx = static_cast<int32_t>(sweet->home.x);
    const int32_t hy = static_cast<int32_t>(sweet->home.y);
    FontSetText(&sweet->numberText, digit, hx - 30, hy - 40, sweet->color.x, sweet->color.y,
                sweet->color.z, 1.0f, 64.0f, 64.0f, 64);
    FontSetText(&sweet->comboText, "COMBO!", hx + 10, hy - 20, sweet->color.x, sweet->color.y,
                sweet->color.z, 1.0f, 32.0f, 32.0f, 32);
  } else {
    FontSetText(&sweet->numberText, "", 0, 0, sweet->color.x, sweet->color.y, sweet->color.z,
                1.0f, 64.0f, 64.0f, 64);
    FontSetText(&sweet->comboText, "", 0, 0, sweet->color.x, sweet->color.y, sweet->color.z,
                1.0f, 32.0f, 32.0f, 32);
  }
}

void Serve(Sweet* sweet) {
  sweet->flying = true;
  if (sweet->kind == kSweetFailed) {
    if (!sweet->sounded) {
      SoundCue::Play(&sweet->missSound);
      comboCount = 0;
    }
    sweet->sounded = true;
  } else {
    if (!sweet->sounded) {
      SoundCue::Play(&sweet->makeSound);
      comboCount += 1;
      sweet->sounded = true;
    }
    if (!sweet->textsSet) {
      SetComboTexts(sweet);
      sweet->textsSet = true;
    }
  }
  sweet->released = false;
}

void Fly(Sweet* sweet) {
  const Vec2 self = customer.character.sprite.pos;
  const Vec2 mouth = CustomerMouth(&customer);
  const bool arrived =
      CirclesOverlap(sweet->sprite.pos, sweet->sprite.size.x * 0.25f, mouth, 4.0f) != 0 ||
      self.x < sweet->sprite.pos.x;
  if (arrived) {
    sweet->waiting = false;
    sweet->flying = false;
    sweet->delivered = true;
    sweet->eatPending = true;
    sweet->textsSet = false;
    sweet->sounded = false;
    sweet->sparks.killRequest = true;
    return;
  }
  const Vec2 speed = MakeVec2(sweet->speed, sweet->speed);
  sweet->step = Vec2Mul(Vec2Normalize(Vec2Sub(self, sweet->sprite.pos)), speed);
  sweet->sprite.pos = Vec2Add(sweet->sprite.pos, sweet->step);
  if (sweet->sprite.pos.x < self.x - sweet->halfWayBase * 0.5f) {
    sweet->sprite.size.x += sweet->speed;
    sweet->sprite.size.y += sweet->speed;
  } else {
    sweet->sprite.size.x -= kShrinkFactor * sweet->speed;
    sweet->sprite.size.y -= kShrinkFactor * sweet->speed;
  }
  if (sweet->sprite.size.x < kMinWidth) sweet->sprite.size = MakeVec2(kCollapsedSize, kCollapsedSize);
  sweet->speed += kSpeedGain;
}

void Burst(Sweet* sweet) {
  if (!sweet->textsSet) {
    ParticleSetEmitted(&sweet->sparks, false);
    return;
  }
  if (ParticleGetEmitted(&sweet->sparks)) return;
  const int32_t colorIndex = LookRandomInt(0, 3);
  for (int32_t i = 0; i < kBurstSize; ++i) {
    const float a = static_cast<float>(i) * kBurstStep;
    ParticleSpawn(&sweet->sparks, sweet->sprite.pos.x, sweet->sprite.pos.y,
                  kBurstSpeed * std::sin(a), kBurstSpeed * std::cos(a), colorIndex, kSparkShape);
  }
  ParticleSetEmitted(&sweet->sparks, true);
}

}  // namespace

int32_t SweetLoad(Sweet* sweet) {
  if (LoadContentsPicture(&sweet->texture, "sweets.png") != 0) return 1;
  FontInit(&sweet->comboText);
  FontInit(&sweet->numberText);
  SoundCue::LoadSe(&sweet->makeSound, "SE_make.ogg");
  SoundCue::LoadSe(&sweet->missSound, "SE_miss.ogg");
  ParticleInit(&sweet->sparks);
  SweetSpawn(sweet, kParkX, kParkY, 0, false, kSweetNone, 1.0f, 1.0f, 1.0f);
  return 0;
}

void SweetSpawn(Sweet* sweet, float x, float y, int32_t rank, bool waiting, int32_t kind,
                float r, float g, float b) {
  sweet->scale = kSweetScale;
  sweet->home = MakeVec2(x, y);
  sweet->sprite.pos = sweet->home;
  sweet->sprite.size = MakeVec2(kSweetScale * kSweetPixels, kSweetScale * kSweetPixels);
  sweet->sprite.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);
  sweet->sprite.angle = 0.0f;
  sweet->color = MakeVec3(r, g, b);
  sweet->sprite.uv[0] = KindU(kind);
  sweet->sprite.uv[1] = 0.0f;
  sweet->sprite.uv[2] = 0.25f;
  sweet->sprite.uv[3] = 1.0f;
  if (kind == kSweetFailed) failMadeOnPlate = true;
  sweet->sprite.depth = 0.0f;
  sweet->speed = kStartSpeed;
  sweet->kind = kind;
  sweet->rank = rank;
  sweet->waiting = waiting;
  sweet->flying = false;
  sweet->delivered = false;
  sweet->eatPending = false;
  sweet->released = false;
  sweet->textsSet = false;
  sweet->sounded = false;
  sweet->timer = 0;
  comboCount = 0;
  sweet->halfWayBase = customer.character.sprite.pos.x - x;
}

void SweetUpdate(Sweet* sweet) {
  if (sweet->waiting && !touchSlots[0].down) sweet->released = true;
  if (sweet->released) {
    sweet->timer += 1;
    if (sweet->timer > (sweet->rank + 1) * kServingGap) Serve(sweet);
  }
  if (sweet->flying) Fly(sweet);
  ParticleUpdate(&sweet->sparks);
  Burst(sweet);
}

void SweetDraw(Sweet* sweet) {
  if (!sweet->flying) return;
  if (comboCount > 1) {
    FontDraw(&sweet->numberText);
    FontDraw(&sweet->comboText);
  }
  DrawSprite(&sweet->sprite, &sweet->texture);
  ParticleDraw(&sweet->sparks, &particleTexture);
}

void SweetRelease(Sweet* sweet) {
  DeleteTexture(&sweet->texture);
  DeleteTexture(&particleTexture);
  SoundCue::Release(&sweet->makeSound);
  SoundCue::Release(&sweet->missSound);
  FontRelease(&sweet->comboText);
  FontRelease(&sweet->numberText);
  // Sparks still in the list would otherwise wait for the next round's load.
  ParticleClear(&sweet->sparks);
}
