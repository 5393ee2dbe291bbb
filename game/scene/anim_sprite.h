// A sprite stepping through the cells of a sprite sheet at a fixed number of
// ticks per cell. Updated in the tick, drawn in the frame; owns no texture.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

constexpr int32_t kAnimOff = 0;
constexpr int32_t kAnimOnce = 1;
constexpr int32_t kAnimLoop = 2;

struct AnimSprite {
  Sprite sprite;
  float columns;
  float rows;
  float column;
  float row;
  int32_t mode;
  int32_t tickCounter;
  int32_t steps;
  int32_t ticksPerCell;
  int32_t modeAfter;
};

void AnimConstruct(AnimSprite* anim);
void AnimInit(AnimSprite* anim, float x, float y, float width, float height, float columns,
              float rows, float u, float v, float du, float dv, float r, float g, float b,
              float a, int32_t ticksPerCell, int32_t mode);
void AnimUpdate(AnimSprite* anim);
void AnimDraw(AnimSprite* anim, const Texture* texture);
