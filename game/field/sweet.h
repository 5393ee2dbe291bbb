// The 30 sweet slots of a plate: waiting until the lift, served 33 ticks
// apart with combo texts and sounds, flying to the customer, delivered.
// Update and spawn in the tick, draw in the frame.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/font.h"
#include "engine/render/sprite.h"
#include "game/hud/particles.h"

constexpr int kSweetSlotCount = 30;
constexpr int32_t kSweetFailed = -1;
constexpr int32_t kSweetNone = 0;

struct Sweet {
  int32_t timer;
  int32_t rank;
  Texture texture;
  float scale;
  float speed;
  float halfWayBase;
  bool waiting;
  bool released;
  bool textsSet;
  bool sounded;
  Vec2 step;
  Vec2 home;
  Sound makeSound;
  Sound missSound;
  BitmapFont comboText;
  BitmapFont numberText;
  Vec3 color;
  ParticleSystem sparks;
  Sprite sprite;
  bool flying;
  bool delivered;
  bool eatPending;
  int32_t kind;
};

extern Sweet sweetSlots[kSweetSlotCount];

int32_t SweetLoad(Sweet* sweet);
void SweetSpawn(Sweet* sweet, float x, float y, int32_t rank, bool waiting, int32_t kind,
                float r, float g, float b);
void SweetUpdate(Sweet* sweet);
void SweetDraw(Sweet* sweet);
void SweetRelease(Sweet* sweet);
