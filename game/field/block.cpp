// One ingredient block: its type's cells in "block.png", the pop-up with a
// sound when picked, consumption at the lift, vanishing once its sweet is
// served, and the idle sparkle from "blockEf.png".
#include "game/field/block.h"

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

namespace {

constexpr float kBlockScale = 1.4f;
constexpr float kBlockPixels = 64.0f;
constexpr float kCell = 0.25f;
constexpr int32_t kRaiseHeight = 15;
constexpr int32_t kSelectedSparkleWait = 30;
constexpr int32_t kIdleSparkleWait = 220;
constexpr int32_t kSparkleInterval = 3;
constexpr float kSparkleColumns = 4.0f;
constexpr float kSparkleRows = 3.0f;
constexpr float kSparkleAlpha = 0.3f;
constexpr int32_t kServingGap = 33;

// Normal cell of each type; the picked picture is one cell to the right.
constexpr Vec2 kTypeCells[5] = {
    {0.0f, 0.0f}, {0.5f, 0.25f}, {0.5f, 0.5f}, {0.5f, 0.0f}, {0.0f, 0.25f}};

bool FingerOnBlock(const Block* block) {
  const TouchSlot& finger = touchSlots[0];
  return PointInCircle(MakeVec2(finger.x, finger.y), block->sprite.pos,
                       block->sprite.size.x * 0.5f) != 0;
}

}  // namespace

int32_t BlockLoad(Block* block) {
  if (LoadContentsPicture(&block->blockTexture, "block.png") != 0) return 1;
  if (LoadContentsPicture(&block->sparkleTexture, "blockEf.png") != 0) return 1;
  SoundCue::LoadSe(&block->blockSound, "SE_block.ogg");
  return 0;
}

void BlockSetup(Block* block, float x, float y, int32_t index, int32_t type) {
  block->scale = kBlockScale;
  block->index = index;
  block->type = type;
  block->sprite.pos = MakeVec2(x, y);
  block->baseSize = MakeVec2(kBlockScale * kBlockPixels, kBlockScale * kBlockPixels);
  block->sprite.size = block->baseSize;
  block->sprite.angle = 0.0f;
  block->sprite.depth = 0.0f;
  BlockSetType(block, type);
  block->sprite.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);

  block->sparkle.pos = MakeVec2(x, y);
  block->sparkle.size = block->baseSize;
  block->sparkle.angle = 0.0f;
  block->sparkle.depth = 0.0f;
  block->sparkleColumns = kSparkleColumns;
  block->sparkleRows = kSparkleRows;
  block->sparkle.uv[0] = 0.0f;
  block->sparkle.uv[1] = 0.0f;
  block->sparkle.uv[2] = kCell;
  block->sparkle.uv[3] = kCell;
  block->sparkle.color = MakeColor(1.0f, 1.0f, 1.0f, kSparkleAlpha);
  block->sparkleInterval = kSparkleInterval;
  block->sparkleColumn = 0.0f;
  block->sparkleRow = 0.0f;
  block->sparkleFrame = 0;
  block->sparklePlaying = false;
  block->idleTicks = 0;
  block->raised = false;
  BlockClearSelection(block);
}

void BlockSetType(Block* block, int32_t type) {
  block->type = type;
  const Vec2 cell = (type >= 0 && type <= 4) ? kTypeCells[type] : kTypeCells[0];
  block->normalCell = cell;
  block->selectedCell = MakeVec2(cell.x + kCell, cell.y);
  block->sprite.uv[0] = cell.x;
  block->sprite.uv[1] = cell.y;
  block->sprite.uv[2] = kCell;
  block->sprite.uv[3] = kCell;
}

void BlockClearSelection(Block* block) {
  block->wasSelected = false;
  block->consumed = false;
  block->selected = false;
  block->vanished = false;
  block->raiseHeight = kRaiseHeight;
  block->ticksSinceConsumed = 0;
  block->servingRank = 0;
  block->sprite.size = block->baseSize;
  block->sprite.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);
}

int32_t BlockSelect(Block* block) {
  block->selected = true;
  return block->index;
}

void BlockUpdate(Block* block) {
  // Raise on the pick, drop back once the finger leaves the enlarged circle.
  if (block->raised && (!FingerOnBlock(block) || !block->selected)) {
    block->sprite.pos.y += static_cast<float>(block->raiseHeight);
    block->sprite.size = block->baseSize;
    block->raised = false;
  }
  if (block->selected && !block->raised && !block->wasSelected) {
    SoundCue::Play(&block->blockSound);
    block->sprite.pos.y -= static_cast<float>(block->raiseHeight);
    const float grow = static_cast<float>(block->raiseHeight) / 10.0f;
    block->sprite.size = MakeVec2(block->baseSize.x * grow, block->baseSize.y * grow);
    block->raised = true;
  }

  // Sparkle: eleven frames one every 3 play ticks, then wait again.
  block->idleTicks += 1;
  const int32_t wait = block->selected ? kSelectedSparkleWait : kIdleSparkleWait;
  const int32_t interval = block->sparkleInterval > 0 ? block->sparkleInterval : 1;
  if (block->idleTicks > wait && playTicks % interval == 0) {
    block->sparklePlaying = true;
    const int32_t lastFrame =
        static_cast<int32_t>(block->sparkleColumns * block->sparkleRows) - 1;
    if (block->sparkleFrame < lastFrame) {
      block->sparkleFrame += 1;
      const float k = block->sparkleColumn;
      if (k == block->sparkleColumns - 1.0f) {
        block->sparkleRow = static_cast<float>(
            (static_cast<int32_t>(block->sparkleRow) + 1) % static_cast<int32_t>(block->sparkleRows));
      }
      block->sparkleColumn = static_cast<float>(
          (static_cast<int32_t>(k) + 1) % static_cast<int32_t>(block->sparkleColumns));
    } else {
      block->idleTicks = 0;
      block->sparkleFrame = 0;
      block->sparkleColumn = 0.0f;
      block->sparkleRow = 0.0f;
      block->sparklePlaying = false;
    }
  }
  block->sparkle.pos = block->sprite.pos;
  if (!block->selected) {
    block->sparkle.size = block->sprite.size;
    block->sparkle.color = MakeColor(1.0f, 1.0f, 1.0f, kSparkleAlpha);
  }
  block->sparkle.uv[0] = block->sparkleColumn * kCell;
  block->sparkle.uv[1] = block->sparkleRow * kCell;

  if (!touchSlots[0].down && block->wasSelected && block->selected) block->consumed = true;
  if (block->consumed) block->ticksSinceConsumed += 1;
  // Gone once its sweet is served. Set here, not in the draw: the perfect
  // plate is judged from it, so it must not wait for a frame.
  if (block->ticksSinceConsumed > (block->servingRank + 1) * kServingGap) block->vanished = true;
  block->wasSelected = block->selected;
}

void BlockDraw(Block* block) {
  if (block->vanished) return;
  const Vec2 cell = block->selected ? block->selectedCell : block->normalCell;
  block->sprite.uv[0] = cell.x;
  block->sprite.uv[1] = cell.y;
  DrawSprite(&block->sprite, &block->blockTexture);
  if (block->sparklePlaying && !block->selected) {
    DrawSprite(&block->sparkle, &block->sparkleTexture);
  }
}

void BlockRelease(Block* block) {
  DeleteTexture(&block->blockTexture);
  DeleteTexture(&block->sparkleTexture);
  SoundCue::Release(&block->blockSound);
}
