// The customer at the right of the screen: eats the sweets that reach it for
// points and gauge, pulls a face for each, jumps after a perfect plate and
// floats in fever, sinking slowly (fast once full). Owns the order balloon.
#include "game/field/customer.h"

#include "engine/app/app.h"
#include "game/field/sweet.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

Customer customer;

namespace {

constexpr float kSheetPixels = 512.0f;
constexpr Vec2 kRestPosition = {794.0f, 450.0f};
constexpr float kRestY = 450.0f;
constexpr float kFeverY = 200.0f;
constexpr float kBalloonsLowY = 288.0f;
constexpr float kJumpSpeed = 15.0f;
constexpr float kJumpSlowdown = 0.75f;
constexpr int32_t kOrderInterval = 20;
constexpr int32_t kFaceInterval = 10;
constexpr int32_t kFaceSteps = 3;
constexpr float kRestShadowScale = 0.377f;
constexpr float kRestShadowY = 492.0f;

void StartFloatingFace(Customer* c) {
  if (c->expressionDone) {
    c->expressionTicks = 0;
    c->expressionDone = false;
    c->expression = kFaceFloating;
  }
}

}  // namespace

SweetValue CustomerSweetValue(int32_t kind) {
  switch (kind) {
    case 1: return {3330.0f, 25.0f, 0};
    case 2: return {6660.0f, 20.0f, 1};
    case 3: return {9990.0f, 15.0f, 2};
    case kSweetFailed: return {-3330.0f, 0.0f, -1};
    default: return {0.0f, 0.0f, -1};
  }
}

EatGain CustomerEatGain(int32_t kind, float points, float fill, int32_t combo,
                               bool perfect, bool fever) {
  const float multiplier = static_cast<float>(combo + 1) * 2.5f;
  if (kind <= 0 || !perfect) {
    return {ScorePoints(multiplier * points), ScorePoints(fill)};
  }
  if (fever) {
    return {ScorePoints(multiplier * 2.0f * points), ScorePoints(fill * 0.5f)};
  }
  return {0, 0};
}

int32_t CustomerInit(Customer* c) {
  c->characterScale = MakeVec2(0.7f, 0.6f);
  if (LoadContentsPicture(&c->characterTexture, "pemophiSp.png") != 0) return 1;
  AnimInit(&c->character, kRestPosition.x, kRestPosition.y, c->characterScale.x * kSheetPixels,
           c->characterScale.y * kSheetPixels, 4.0f, 4.0f, 0.0f, 0.0f, 0.25f, 0.25f, 1.0f, 1.0f,
           1.0f, 1.0f, kFaceInterval, kAnimLoop);
  if (LoadContentsPicture(&c->sitDownTexture, "pemoSitDown.png") != 0) return 1;
  if (LoadContentsPicture(&c->shadowTexture, "shadow.png") != 0) return 1;
  c->shadowScale = MakeVec2(0.4f, 0.4f);
  c->shadow.pos = Vec2Add(c->character.sprite.pos, MakeVec2(-10.0f, 40.0f));
  c->shadow.size = MakeVec2(c->shadowScale.x * kSheetPixels, c->shadowScale.y * kSheetPixels);
  c->shadow.color = MakeColor(1.0f, 1.0f, 1.0f, 0.6f);
  c->shadow.uv[0] = 0.0f;
  c->shadow.uv[1] = 0.0f;
  c->shadow.uv[2] = 1.0f;
  c->shadow.uv[3] = 1.0f;
  c->shadow.angle = 0.0f;
  c->shadow.depth = 0.0f;
  c->riseSpeed = kJumpSpeed;
  c->points = 0.0f;
  c->fill = 0.0f;
  c->customerFull = false;
  c->updateCount = 0;
  c->expression = kFaceNeutral;
  c->expressionTicks = 0;
  // Else a face finished in the last round ends the first face of this one.
  c->expressionDone = false;
  BalloonInit(&c->balloon);
  SoundCue::LoadSe(&c->feverSound, "SE_fivar.ogg");
  SoundCue::LoadSe(&c->eatSound, "SE_eat.ogg");
  return 0;
}

void CustomerUpdate(Customer* c) {
  Sprite& body = c->character.sprite;
  c->updateCount += 1;
  if (selectionEnabled && !boardChanging && !c->balloon.orderActive &&
      c->updateCount % kOrderInterval == 0) {
    c->balloon.orderRequest = true;
  }
  BalloonUpdate(&c->balloon);
  c->shadow.size = MakeVec2(c->shadowScale.x * kSheetPixels, c->shadowScale.y * kSheetPixels);

  if (body.pos.y < kFeverY) {
    perfectPlate = false;
    feverActive = true;
    c->riseSpeed = 0.0f;
  }
  if (body.pos.y >= kRestY && feverActive) {
    c->shadowScale = MakeVec2(kRestShadowScale, kRestShadowScale);
    c->shadow.pos.y = kRestShadowY;
    feverActive = false;
    c->expression = kFaceNeutral;
    c->character.column = 0.0f;
    body.pos.y = kRestY;
  }

  if (perfectPlate) {
    StartFloatingFace(c);
    if (!c->balloon.balloonsLow) SoundCue::Play(&c->feverSound);
    c->balloon.balloonsLow = true;
    // The speed is still 0 from the last fever when a perfect plate comes
    // before any face has reset it; the jump then starts afresh, or the
    // customer would never rise and the plate's flag would stay set.
    if (c->riseSpeed <= 0.0f) c->riseSpeed = kJumpSpeed;
    body.pos.y -= c->riseSpeed;
    c->shadow.pos.y += 0.1f;
    c->shadowScale.x -= 0.001f;
    c->shadowScale.y -= 0.001f;
    if (c->updateCount % 3 != 0 && c->riseSpeed > 1.0f) c->riseSpeed -= kJumpSlowdown;
  }

  if (feverActive) {
    StartFloatingFace(c);
    c->balloon.balloonsLow = body.pos.y <= kBalloonsLowY;
    if (!c->customerFull) {
      body.pos.y += 0.09f;
      c->shadow.pos.y -= 0.003f;
      c->shadowScale.x += 0.00005f;
      c->shadowScale.y += 0.00005f;
    } else {
      body.pos.y += 3.6f;
      c->shadow.pos.y -= 0.12f;
      c->shadowScale.x += 0.0012f;
      c->shadowScale.y += 0.0012f;
    }
  }

  c->character.row = static_cast<float>(c->expression);
  AnimUpdate(&c->character);

  for (int32_t k = 0; k < kSweetSlotCount; ++k) {
    Sweet& sweet = sweetSlots[k];
    if (!sweet.eatPending) continue;
    CustomerEat(c, k);
    sweet.eatPending = false;
    c->character.column = 0.0f;
    c->expressionTicks = 0;
    if (sweet.kind > 0) c->expression = kFacePleased;
    if (sweet.kind < 0) c->expression = kFaceDispleased;
  }

  if (c->expressionDone &&
      (c->expression == kFacePleased || c->expression == kFaceDispleased)) {
    c->expressionDone = false;
    c->riseSpeed = kJumpSpeed;
    c->expression = kFaceNeutral;
    c->expressionTicks = 0;
  }
  if (c->updateCount % kFaceInterval == 0 && c->expression > kFaceNeutral) {
    if (c->expressionTicks < kFaceSteps) {
      c->expressionDone = false;
      c->expressionTicks += 1;
    } else {
      c->expressionDone = true;
      c->expressionTicks = 0;
    }
  }
}

void CustomerDraw(Customer* c) {
  DrawSprite(&c->shadow, &c->shadowTexture);
  const Texture* picture = &c->characterTexture;
  if (roundFinishing) {
    if (c->character.column < 2.0f) {
      c->character.sprite.uv[0] = 0.0f;
      c->character.sprite.uv[1] = 0.0f;
      c->character.sprite.uv[2] = 0.25f;
      c->character.sprite.uv[3] = 1.0f;
      c->character.row = 0.0f;
    }
    picture = &c->sitDownTexture;
  }
  AnimDraw(&c->character, picture);
  BalloonDraw(&c->balloon);
}

void CustomerRelease(Customer* c) {
  DeleteTexture(&c->characterTexture);
  DeleteTexture(&c->shadowTexture);
  DeleteTexture(&c->sitDownTexture);
  BalloonRelease(&c->balloon);
  SoundCue::Release(&c->feverSound);
  SoundCue::Release(&c->eatSound);
}

Vec2 CustomerMouth(const Customer* c) {
  return Vec2Sub(c->character.sprite.pos, MakeVec2(5.0f, 5.0f));
}

void CustomerEat(Customer* c, int32_t slot) {
  SoundCue::Play(&c->eatSound);
  if (slot < 0 || slot >= kSweetSlotCount) return;
  const int32_t kind = sweetSlots[slot].kind;
  if (kind != kSweetNone) {
    const SweetValue value = CustomerSweetValue(kind);
    c->points = value.points;
    c->fill = value.fill;
    if (value.quotaIndex >= 0 && c->balloon.quota[value.quotaIndex] > 0) {
      c->balloon.quota[value.quotaIndex] -= 1;
    }
  }
  const EatGain gain =
      CustomerEatGain(kind, c->points, c->fill, comboCount, perfectPlate, feverActive);
  score = ScoreAdd(score, gain.points);
  gaugeLevel += static_cast<float>(gain.gauge);
}
