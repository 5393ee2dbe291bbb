// The customer's order: up to three balloons (kinds 1, 2, 3) with the count
// still wanted, drawn at random by ordersCleared; completion lowers the gauge
// by 75. Owned and driven by the customer.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/font.h"
#include "engine/render/sprite.h"
#include "game/hud/particles.h"

struct OrderBalloon {
  Sound orderSound;
  bool visible[3];
  Sprite balloons[3];
  Texture balloonTexture;
  Sprite icons[3];
  Texture iconTexture;
  int32_t countChars[3];
  int32_t previousQuota[3];
  ParticleSystem sparks;
  int32_t quota[3];
  bool orderRequest;
  bool orderActive;
  bool balloonsLow;
  BitmapFont countTexts[3];
  BitmapFont xTexts[3];
};

int32_t BalloonInit(OrderBalloon* balloon);
bool NewOrder(OrderBalloon* balloon, bool request);
void BalloonUpdate(OrderBalloon* balloon);
void BalloonDraw(OrderBalloon* balloon);
void BalloonRelease(OrderBalloon* balloon);
