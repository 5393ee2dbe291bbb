// The customer's order: three small balloons (kinds 1, 2, 3) with the count
// still wanted. New orders are drawn at random, harder as more are cleared;
// a completed order lowers the gauge, plays "SE_norma.ogg" and bursts sparks.
#include "game/field/order_balloon.h"

#include <cmath>
#include <cstdlib>

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

namespace {

constexpr float kBalloonSize = 128.0f;
constexpr float kIconSize = 64.0f;
constexpr Vec2 kIconOffset = {30.0f, 10.0f};
constexpr Vec2 kNormalLayout[3] = {{725.0f, 120.0f}, {853.0f, 200.0f}, {725.0f, 260.0f}};
constexpr Vec2 kLowLayout[3] = {{725.0f, 370.0f}, {853.0f, 440.0f}, {725.0f, 510.0f}};
constexpr float kOrderRelief = 75.0f;
constexpr int32_t kBurstSize = 16;
constexpr float kBurstSpeed = 12.0f;
constexpr float kBurstStep = 0.39269909262657166f;
constexpr int32_t kSparkShape = 2;
constexpr int32_t kDigitOffset = 16;

void SetCountTexts(OrderBalloon* balloon, int32_t j, int32_t countY) {
  const int32_t x = static_cast<int32_t>(balloon->balloons[j].pos.x);
  const int32_t y = static_cast<int32_t>(balloon->balloons[j].pos.y);
  const char count[2] = {static_cast<char>(balloon->countChars[j]), '\0'};
  FontSetText(&balloon->countTexts[j], count, x + 30, countY, 0.0f, 1.0f, 1.0f, 1.0f, 40.0f,
              40.0f, 32);
  FontSetText(&balloon->xTexts[j], "x", x, y - 10, 0.0f, 1.0f, 1.0f, 1.0f, 40.0f, 40.0f, 32);
}

void PlaceBalloons(OrderBalloon* balloon, bool low) {
  const Vec2* layout = low ? kLowLayout : kNormalLayout;
  for (int32_t j = 0; j < 3; ++j) {
    balloon->balloons[j].pos = layout[j];
    balloon->balloons[j].size = MakeVec2(kBalloonSize, low ? -kBalloonSize : kBalloonSize);
    balloon->icons[j].pos = Vec2Sub(layout[j], kIconOffset);
  }
}

void Complete(OrderBalloon* balloon) {
  gaugeLevel -= kOrderRelief;
  SoundCue::Play(&balloon->orderSound);
  // The burst comes from the balloon whose last sweet was just eaten. Two
  // sweets eaten in one tick can leave no balloon at 1; the last balloon
  // that still wanted sweets stands in then.
  int32_t from = -1;
  for (int32_t j = 0; j < 3; ++j) {
    if (balloon->previousQuota[j] == 1) from = j;
  }
  if (from < 0) {
    from = 0;
    for (int32_t j = 0; j < 3; ++j) {
      if (balloon->previousQuota[j] > 0) from = j;
    }
  }
  const Vec2 point = balloon->icons[from].pos;
  if (!ParticleGetEmitted(&balloon->sparks)) {
    const int32_t colorIndex = LookRandomInt(0, 3);
    for (int32_t i = 0; i < kBurstSize; ++i) {
      const float a = static_cast<float>(i) * kBurstStep;
      ParticleSpawn(&balloon->sparks, point.x, point.y, kBurstSpeed * std::sin(a),
                    kBurstSpeed * std::cos(a), colorIndex, kSparkShape);
    }
    ParticleSetEmitted(&balloon->sparks, true);
  }
  ordersCleared += 1;
  for (int32_t j = 0; j < 3; ++j) balloon->quota[j] = -1;
  balloon->orderActive = false;
}

}  // namespace

int32_t BalloonInit(OrderBalloon* balloon) {
  if (LoadContentsPicture(&balloon->balloonTexture, "balloonS.png") != 0) return 1;
  for (int32_t j = 0; j < 3; ++j) {
    Sprite& s = balloon->balloons[j];
    s.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);
    s.uv[0] = 0.0f;
    s.uv[1] = 0.0f;
    s.uv[2] = 1.0f;
    s.uv[3] = 1.0f;
    s.angle = 0.0f;
    s.depth = 0.0f;
  }
  PlaceBalloons(balloon, false);
  if (LoadContentsPicture(&balloon->iconTexture, "sweets.png") != 0) return 1;
  for (int32_t j = 0; j < 3; ++j) {
    Sprite& s = balloon->icons[j];
    s.size = MakeVec2(kIconSize, kIconSize);
    s.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);
    s.uv[0] = static_cast<float>(j) * 0.25f;
    s.uv[1] = 0.0f;
    s.uv[2] = 0.25f;
    s.uv[3] = 1.0f;
    s.angle = 0.0f;
    s.depth = 0.0f;
  }
  for (int32_t j = 0; j < 3; ++j) {
    FontInit(&balloon->countTexts[j]);
    balloon->countChars[j] = balloon->quota[j] + kDigitOffset;
    FontInit(&balloon->xTexts[j]);
    SetCountTexts(balloon, j, static_cast<int32_t>(balloon->balloons[j].pos.y));
  }
  balloon->orderRequest = false;
  balloon->orderActive = false;
  balloon->balloonsLow = false;
  for (int32_t j = 0; j < 3; ++j) {
    balloon->quota[j] = -1;
    balloon->previousQuota[j] = -1;
    balloon->visible[j] = false;
  }
  ParticleInit(&balloon->sparks);
  SoundCue::LoadSe(&balloon->orderSound, "SE_norma.ogg");
  return 0;
}

bool NewOrder(OrderBalloon* balloon, bool request) {
  if (!request) return false;
  if (ordersCleared >= 7) {
    balloon->quota[0] = RandomInt(1, 4);
    balloon->quota[1] = RandomInt(0, 5);
    balloon->quota[2] = RandomInt(0, 3);
  } else if (ordersCleared >= 4) {
    balloon->quota[0] = RandomInt(2, 6);
    balloon->quota[1] = RandomInt(0, 3);
    balloon->quota[2] = 0;
  } else {
    balloon->quota[0] = RandomInt(1, 4);
    balloon->quota[1] = 0;
    balloon->quota[2] = 0;
  }
  balloon->orderActive = true;
  return false;
}

void BalloonUpdate(OrderBalloon* balloon) {
  balloon->orderRequest = NewOrder(balloon, balloon->orderRequest);
  if (balloon->quota[0] == 0 && balloon->quota[1] == 0 && balloon->quota[2] == 0) {
    Complete(balloon);
  } else {
    ParticleSetEmitted(&balloon->sparks, false);
  }
  ParticleUpdate(&balloon->sparks);
  for (int32_t j = 0; j < 3; ++j) balloon->visible[j] = balloon->quota[j] > 0;
  PlaceBalloons(balloon, balloon->balloonsLow);
  for (int32_t j = 0; j < 3; ++j) {
    balloon->countChars[j] = balloon->quota[j] + kDigitOffset;
    SetCountTexts(balloon, j, static_cast<int32_t>(balloon->balloons[j].pos.y) - 10);
    balloon->previousQuota[j] = balloon->quota[j];
  }
}

void BalloonDraw(OrderBalloon* balloon) {
  for (int32_t j = 0; j < 3; ++j) {
    if (!balloon->visible[j]) continue;
    DrawSprite(&balloon->balloons[j], &balloon->balloonTexture);
    DrawSprite(&balloon->icons[j], &balloon->iconTexture);
    FontDraw(&balloon->countTexts[j]);
    FontDraw(&balloon->xTexts[j]);
  }
  ParticleDraw(&balloon->sparks, &particleTexture);
}

void BalloonRelease(OrderBalloon* balloon) {
  for (int32_t j = 0; j < 3; ++j) {
    FontRelease(&balloon->countTexts[j]);
    FontRelease(&balloon->xTexts[j]);
  }
  DeleteTexture(&balloon->balloonTexture);
  DeleteTexture(&balloon->iconTexture);
  SoundCue::Release(&balloon->orderSound);
  ParticleClear(&balloon->sparks);
}
