// Sprite-sheet animation: the texture rectangle steps from cell to cell every
// few ticks. Owners may write column and row between steps to pick a pose.
#include "game/scene/anim_sprite.h"

#include <cstring>

namespace {

// Whole part of a cell count, never below 1, so a sheet set up with zero
// columns or rows wraps to cell 0 instead of dividing by zero.
int32_t WholeCount(float count) {
  int32_t whole = static_cast<int32_t>(count);
  return whole < 1 ? 1 : whole;
}

// Shows the cell (column, row) now and moves column on by one, wrapping.
void ShowCellAndAdvance(AnimSprite* anim) {
  anim->sprite.uv[0] = anim->sprite.uv[2] * anim->column;
  anim->sprite.uv[1] = anim->sprite.uv[3] * anim->row;
  anim->column = static_cast<float>((static_cast<int32_t>(anim->column + 1.0f)) %
                                    WholeCount(anim->columns));
}

}  // namespace

void AnimConstruct(AnimSprite* anim) {
  std::memset(anim, 0, sizeof(*anim));
  SpriteInit(&anim->sprite);
}

void AnimInit(AnimSprite* anim, float x, float y, float width, float height, float columns,
              float rows, float u, float v, float du, float dv, float r, float g, float b,
              float a, int32_t ticksPerCell, int32_t mode) {
  anim->sprite.pos = Vec2{x, y};
  anim->sprite.size = Vec2{width, height};
  anim->sprite.uv[0] = u;
  anim->sprite.uv[1] = v;
  anim->sprite.uv[2] = du;
  anim->sprite.uv[3] = dv;
  anim->sprite.color = Color{r, g, b, a};
  anim->sprite.depth = 0.0f;
  anim->columns = columns;
  anim->rows = rows;
  anim->column = 0.0f;
  anim->row = 0.0f;
  anim->ticksPerCell = ticksPerCell;
  anim->mode = mode;
  anim->modeAfter = mode;
  anim->tickCounter = 0;
  anim->steps = 0;
}

void AnimUpdate(AnimSprite* anim) {
  anim->tickCounter += 1;
  if (anim->ticksPerCell < 1) anim->ticksPerCell = 1;
  if (anim->tickCounter % anim->ticksPerCell != 0) return;

  if (anim->mode == kAnimLoop) {
    ShowCellAndAdvance(anim);
  } else if (anim->mode == kAnimOnce) {
    if (static_cast<float>(anim->steps) < anim->columns * anim->rows) {
      ShowCellAndAdvance(anim);
      if (anim->column == 0.0f) {
        anim->row = static_cast<float>((static_cast<int32_t>(anim->row + 1.0f)) %
                                       WholeCount(anim->rows));
      }
      anim->steps += 1;
    } else {
      // Every cell has been shown: the last one stays, the mode after takes over.
      anim->steps = 1;
      anim->mode = anim->modeAfter;
    }
  }
}

void AnimDraw(AnimSprite* anim, const Texture* texture) {
  if (anim->mode == kAnimOff) return;
  DrawSprite(&anim->sprite, texture);
}
