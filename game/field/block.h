// One ingredient block on the plate: its type's picture, the pop-up under the
// finger, consumption at the lift, vanishing with its sweet, idle sparkle.
// Update in the tick, draw in the frame.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/sprite.h"

struct Block {
  Sound blockSound;
  Texture blockTexture;
  Texture sparkleTexture;
  Vec2 normalCell;
  Vec2 selectedCell;
  Vec2 baseSize;
  float scale;
  bool raised;
  bool wasSelected;
  bool consumed;
  int32_t raiseHeight;
  int32_t idleTicks;
  int32_t ticksSinceConsumed;
  Sprite sprite;
  Sprite sparkle;
  float sparkleColumns, sparkleRows;
  float sparkleColumn, sparkleRow;
  int32_t sparkleInterval;
  int32_t sparkleFrame;
  bool sparklePlaying;
  bool selected;
  bool vanished;
  int32_t type;
  int32_t index;
  int32_t servingRank;
};

int32_t BlockLoad(Block* block);
void BlockSetup(Block* block, float x, float y, int32_t index, int32_t type);
void BlockSetType(Block* block, int32_t type);
void BlockClearSelection(Block* block);
int32_t BlockSelect(Block* block);
void BlockUpdate(Block* block);
void BlockDraw(Block* block);
void BlockRelease(Block* block);
