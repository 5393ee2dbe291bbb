// The new-plate icon, the reward for a 6-combo: flies to the customer, rests
// on it, and a tap there costs 100 gauge with a ring of sparks.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/sprite.h"
#include "game/hud/particles.h"

struct PlateIcon {
  Texture texture;
  ParticleSystem sparks;
  bool active;
  bool burst;
  Vec2 direction;
  float speed;
  float distance;
  Sound tapSound;
  Sprite icon;
  bool arrived;
  bool consumed;
};

extern PlateIcon plateIcon;

int32_t PlateIconInit(PlateIcon* p);
void PlateIconLaunch(PlateIcon* p, float targetX, float startX, float startY);
void PlateIconUpdate(PlateIcon* p);
void PlateIconDraw(PlateIcon* p);
void PlateIconRelease(PlateIcon* p);

// One tick of the flight toward the customer's position `target`.
void PlateIconFly(PlateIcon* p, Vec2 target);
