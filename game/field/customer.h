// The customer at the right: eats delivered sweets for points and gauge,
// pulls faces, jumps after a perfect plate and floats in fever. Owns the
// order balloon. Driven by the HUD: update in the tick, draw in the frame.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/sprite.h"
#include "game/field/order_balloon.h"
#include "game/scene/anim_sprite.h"

constexpr int32_t kFaceNeutral = 0;
constexpr int32_t kFaceFloating = 1;
constexpr int32_t kFacePleased = 2;
constexpr int32_t kFaceDispleased = 3;

struct Customer {
  Texture characterTexture;
  Texture sitDownTexture;
  Texture shadowTexture;
  Sprite shadow;
  Vec2 characterScale;
  Vec2 shadowScale;
  float riseSpeed;
  float points;
  float fill;
  int32_t updateCount;
  int32_t expressionTicks;
  bool expressionDone;
  Sound feverSound;
  Sound eatSound;
  bool customerFull;
  AnimSprite character;
  int32_t expression;
  OrderBalloon balloon;
};

extern Customer customer;

// What a sweet of a kind is worth: points, gauge fill and the order quota it
// counts against (-1 for none). Kind 0 is worth nothing here; eating it keeps
// the customer's last points and fill.
struct SweetValue {
  float points;
  float fill;
  int32_t quotaIndex;
};
SweetValue CustomerSweetValue(int32_t kind);

// Score and gauge added for one sweet eaten, from the sweet's kind, the
// points and fill in effect, the combo at the moment of eating and the two
// perfect-plate flags.
struct EatGain {
  int32_t points;
  int32_t gauge;
};
EatGain CustomerEatGain(int32_t kind, float points, float fill, int32_t combo, bool perfect,
                        bool fever);

int32_t CustomerInit(Customer* c);
void CustomerUpdate(Customer* c);
void CustomerDraw(Customer* c);
void CustomerRelease(Customer* c);
Vec2 CustomerMouth(const Customer* c);
void CustomerEat(Customer* c, int32_t slot);
