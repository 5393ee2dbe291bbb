// The board: the plate and its slides, and the 6 x 5 block grid that follows
// the finger through neighbouring blocks, recognises recipes, makes sweets
// into the slots and tells when the plate is done.
#include "game/field/board.h"

#include "engine/app/app.h"
#include "game/field/sweet.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"

Board board;

namespace {

constexpr float kPlateX = 75.0f;
constexpr float kAboveY = -500.0f;
constexpr float kPlateY = 125.0f;
constexpr float kOffX = -700.0f;
constexpr float kSlideSpeed = 20.0f;
constexpr float kCellSize = 95.0f;
constexpr Vec2 kPlateOffset = {235.0f, 185.0f};
constexpr Vec2 kPlateSize = {716.8f, 537.6f};
constexpr int32_t kSpare = kGridCells;
constexpr int32_t kShuffleSwaps = 60;
constexpr float kParkX = 10.0f;
constexpr float kParkY = 1224.0f;

constexpr float kSweetColors[7][3] = {
    {1.0f, 0.0f, 0.0f}, {1.0f, 0.5f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.0f, 0.6f, 0.0f},
    {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.8f}, {0.4f, 0.0f, 0.8f}};
constexpr float kFailedGrey = 0.2f;

constexpr int32_t kBonusRows[3][5][6] = {
    {{0, 1, 2, 0, 1, 2}, {0, 1, 2, 0, 1, 2}, {0, 1, 2, 0, 1, 2}, {0, 1, 2, 0, 1, 2},
     {0, 1, 2, 0, 1, 2}},
    {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2}, {4, 4, 4, 4, 4, 4},
     {0, 1, 2, 0, 1, 2}},
    {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2}, {0, 4, 4, 4, 4, 0},
     {1, 2, 3, 3, 2, 1}}};

int32_t Stage(int32_t cleared) {
  if (cleared >= 7) return 2;
  if (cleared >= 4) return 1;
  return 0;
}

Vec2 CellCentre(float x, float y, int32_t i) {
  return MakeVec2(x + static_cast<float>(i % kGridColumns) * kCellSize,
                  y + static_cast<float>(i / kGridColumns) * kCellSize);
}

void PlacePlateSprite(Board* b) {
  b->plate.pos = MakeVec2(b->x + kPlateOffset.x, b->y + kPlateOffset.y);
  b->plate.size = kPlateSize;
  b->plate.color = MakeColor(1.0f, 1.0f, 1.0f, 1.0f);
  b->plate.uv[0] = 0.0f;
  b->plate.uv[1] = 0.0f;
  b->plate.uv[2] = 1.0f;
  b->plate.uv[3] = 1.0f;
  b->plate.angle = 0.0f;
  b->plate.depth = 0.0f;
}

void ResetPlatePosition(Board* b) {
  b->x = kPlateX;
  b->y = kAboveY;
  b->targetX = kPlateX;
  b->targetY = kAboveY;
  b->slidingIn = false;
  b->slidingOut = false;
  b->newPlateReady = false;
}

int32_t PreviousKind(const BlockGrid* grid) {
  const int32_t last = grid->sweetCount - 1;
  if (last < 0 || last >= kSweetSlotCount) return kSweetNone;
  return sweetSlots[last].kind;
}

void ClearCounts(BlockGrid* grid) {
  for (int32_t t = 0; t < 5; ++t) grid->typeCount[t] = 0;
}

void CancelDrag(BlockGrid* grid) {
  grid->lastIndex = kNoBlock;
  grid->chainLength = 0;
  grid->sweetCount = 0;
  plateComplete = false;
  selectionEnabled = true;
  ClearCounts(grid);
  for (int32_t i = 0; i < kGridCells; ++i) BlockClearSelection(&grid->blocks[i]);
}

bool IsNeighbourStep(int32_t last, int32_t i) {
  if (last == kNoBlock) return true;
  if (i != last - 1 && i != last + 1 && i != last - kGridColumns && i != last + kGridColumns) {
    return false;
  }
  // No wrap between the right end of a row and the left end of the next.
  if (last % kGridColumns == kGridColumns - 1 && i == last + 1) return false;
  if (last % kGridColumns == 0 && i == last - 1) return false;
  return true;
}

}  // namespace

RecipeResult RecipeRule(const int32_t c[5], int32_t p) {
  const bool noBase = c[0] == 0 && c[1] == 0 && c[2] == 0;
  if (c[4] == 1 && noBase && c[3] == 1 && p == 1) return {3, 5, true};
  if (c[4] == 1 && noBase && c[3] == 0 && p == 1) return {2, 4, true};
  if (c[3] == 1 && noBase && c[4] == 0 && p == 2) return {3, 5, true};
  if (c[0] > 1 || c[1] > 1 || c[2] > 1 || c[3] > 1 || c[4] > 1) {
    return {kSweetFailed, c[0] + c[1] + c[2] + c[3] + c[4], false};
  }
  const bool base = c[0] == 1 && c[1] == 1 && c[2] == 1;
  if (base && c[3] == 1 && c[4] == 1) return {3, 5, false};
  if (base && c[3] == 0 && c[4] == 1) return {2, 4, false};
  if (base && c[3] == 0 && c[4] == 0) return {1, 3, false};
  return {kSweetNone, 0, false};
}

int32_t PlateRowFourType(int32_t i, int32_t cleared) {
  switch (Stage(cleared)) {
    case 2: return i % 3 == 2 ? 3 : 4;
    case 1: return 4;
    default: return i % 3;
  }
}

int32_t BonusLayoutType(int32_t i, int32_t cleared) {
  return kBonusRows[Stage(cleared)][i / kGridColumns][i % kGridColumns];
}

int32_t BoardInit(Board* b) {
  ResetPlatePosition(b);
  boardChanging = false;
  if (LoadContentsPicture(&b->plateTexture, "plate.png") != 0) return 1;
  PlacePlateSprite(b);
  GridBuild(&b->grid, b->x, b->y);
  BoardReset(b);
  b->targetY = kPlateY;
  b->slidingIn = true;
  return 0;
}

void BoardReset(Board* b) {
  ResetPlatePosition(b);
  plateResetCount += 1;
  failMadeOnPlate = false;
  b->slideSpeed = kSlideSpeed;
  PlacePlateSprite(b);
  GridLayout(&b->grid, b->x, b->y);
}

void BoardUpdate(Board* b) {
  if (roundFinishing) return;
  if (b->slidingIn || b->slidingOut) {
    if (b->slidingIn) {
      if (b->y < b->targetY) {
        b->y += b->slideSpeed;
      } else {
        b->y = b->targetY;
        b->slidingIn = false;
        selectionEnabled = true;
        boardChanging = false;
      }
    }
    if (b->slidingOut) {
      if (b->x > b->targetX) {
        b->x -= b->slideSpeed;
      } else {
        b->x = b->targetX;
        b->slidingOut = false;
        BoardReset(b);
        b->newPlateReady = true;
      }
    }
    GridPlace(&b->grid, b->x, b->y);
    b->plate.pos = MakeVec2(b->x + kPlateOffset.x, b->y + kPlateOffset.y);
  }
  GridUpdate(&b->grid);
  if (plateComplete) {
    b->slidingOut = true;
    b->targetX = kOffX;
    boardChanging = true;
    comboCount = 0;
  }
}

void BoardDraw(Board* b) {
  DrawSprite(&b->plate, &b->plateTexture);
  for (int32_t i = 0; i < kGridCells; ++i) BlockDraw(&b->grid.blocks[i]);
}

void BoardRelease(Board* b) {
  DeleteTexture(&b->plateTexture);
  for (int32_t i = 0; i < kGridCells; ++i) BlockRelease(&b->grid.blocks[i]);
  for (int32_t k = 0; k < kSweetSlotCount; ++k) SweetRelease(&sweetSlots[k]);
}

void BoardSlideIn(Board* b) {
  b->targetY = kPlateY;
  b->slidingIn = true;
}

void BoardBonusLayout(Board* b) {
  for (int32_t i = 0; i < kGridCells; ++i) {
    BlockSetType(&b->grid.blocks[i], BonusLayoutType(i, ordersCleared));
    b->grid.chain[i] = kSpare;
  }
}

Vec2 BoardCellCentre(const Board* b, int32_t index) { return CellCentre(b->x, b->y, index); }

void GridBuild(BlockGrid* grid, float x, float y) {
  grid->cellSize = kCellSize;
  for (int32_t k = 0; k < kSweetSlotCount; ++k) SweetLoad(&sweetSlots[k]);
  for (int32_t i = 0; i < kGridCells; ++i) BlockLoad(&grid->blocks[i]);
  GridLayout(grid, x, y);
}

void GridLayout(BlockGrid* grid, float x, float y) {
  grid->cellSize = kCellSize;
  for (int32_t k = 0; k < kSweetSlotCount; ++k) {
    SweetSpawn(&sweetSlots[k], kParkX, kParkY, 0, false, kSweetNone, 1.0f, 1.0f, 1.0f);
  }
  for (int32_t i = 0; i < kGridCells; ++i) {
    const Vec2 centre = CellCentre(x, y, i);
    BlockSetup(&grid->blocks[i], centre.x, centre.y, i, i % 3);
    if (i / kGridColumns == kGridRows - 1) {
      BlockSetType(&grid->blocks[i], PlateRowFourType(i, ordersCleared));
    }
    grid->chain[i] = kSpare;
  }
  for (int32_t n = 0; n < kShuffleSwaps; ++n) {
    const int32_t k = RandomInt(0, kGridCells - 2);
    const int32_t typeK = grid->blocks[k].type;
    BlockSetType(&grid->blocks[k], grid->blocks[kGridCells - 1].type);
    BlockSetType(&grid->blocks[kGridCells - 1], typeK);
  }
  grid->lastIndex = kNoBlock;
  grid->chainLength = 0;
  grid->sweetCount = 0;
  ClearCounts(grid);
  plateComplete = false;
  selectionEnabled = false;
}

void GridPlace(BlockGrid* grid, float x, float y) {
  for (int32_t i = 0; i < kGridCells; ++i) grid->blocks[i].sprite.pos = CellCentre(x, y, i);
}

void GridUpdate(BlockGrid* grid) {
  if (!failMadeOnPlate && plateComplete) {
    bool allVanished = true;
    for (int32_t i = 0; i < kGridCells; ++i) allVanished = allVanished && grid->blocks[i].vanished;
    if (allVanished) perfectPlate = true;
  }
  const TouchSlot& finger = touchSlots[0];
  if (!finger.down) {
    if (grid->sweetCount < 1) {
      if (finger.previousDown) CancelDrag(grid);
    } else {
      const int32_t picks = grid->typeCount[0] + grid->typeCount[1] + grid->typeCount[2] +
                            grid->typeCount[3] + grid->typeCount[4];
      if (picks > 0) grid->sweetCount = GridMakeSweet(grid, grid->sweetCount, picks, kSweetFailed);
      selectionEnabled = false;
    }
  }
  if (grid->sweetCount > 0 && grid->sweetCount <= kSweetSlotCount) {
    const Sweet& last = sweetSlots[grid->sweetCount - 1];
    if (last.delivered && !last.flying) plateComplete = true;
  }
  for (int32_t k = 0; k < kSweetSlotCount; ++k) SweetUpdate(&sweetSlots[k]);
  for (int32_t i = 0; i < kGridCells; ++i) {
    if (selectionEnabled) GridTrySelect(grid, i);
    BlockUpdate(&grid->blocks[i]);
  }
}

void GridTrySelect(BlockGrid* grid, int32_t i) {
  const TouchSlot& finger = touchSlots[0];
  if (!finger.down) return;
  Block* block = &grid->blocks[i];
  if (!PointInCircle(MakeVec2(finger.x, finger.y), block->sprite.pos, block->sprite.size.x * 0.5f)) {
    return;
  }
  if (!IsNeighbourStep(grid->lastIndex, i)) return;
  if (block->selected) return;
  if (grid->chainLength >= kGridCells) return;
  grid->lastIndex = BlockSelect(block);
  grid->chain[grid->chainLength] = i;
  grid->chainLength += 1;
  GridCheckRecipe(grid, block->type);
}

void GridCheckRecipe(BlockGrid* grid, int32_t type) {
  // A type outside the five ingredients counts nowhere.
  if (type < 0 || type > 4) return;
  grid->typeCount[type] += 1;
  const RecipeResult r = RecipeRule(grid->typeCount, PreviousKind(grid));
  if (r.kind == kSweetNone) return;
  if (r.upgrade) grid->sweetCount -= 1;
  grid->sweetCount = GridMakeSweet(grid, grid->sweetCount, r.count, r.kind);
}

int32_t GridMakeSweet(BlockGrid* grid, int32_t s, int32_t n, int32_t kind) {
  // Every sweet takes at least one block of the 30, so the slots never run
  // out; refuse rather than write past them if they ever did.
  if (s < 0 || s >= kSweetSlotCount || n < 1 || n > grid->chainLength) return s;
  float r = kFailedGrey, g = kFailedGrey, b = kFailedGrey;
  if (kind != kSweetFailed) {
    r = kSweetColors[s % 7][0];
    g = kSweetColors[s % 7][1];
    b = kSweetColors[s % 7][2];
  }
  for (int32_t e = grid->chainLength - n; e < grid->chainLength; ++e) {
    Block* block = &grid->blocks[grid->chain[e]];
    block->sprite.color = MakeColor(r, g, b, 0.5f);
    block->servingRank = s - 1;
  }
  const Block& middle = grid->blocks[grid->chain[grid->chainLength - 1 - n / 2]];
  SweetSpawn(&sweetSlots[s], middle.sprite.pos.x, middle.sprite.pos.y, s - 1, true, kind, r, g, b);
  ClearCounts(grid);
  return s + 1;
}
