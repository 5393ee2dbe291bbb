// The board: the plate picture and its slides, and the 6 x 5 block grid that
// follows the finger, recognises recipes and makes sweets. Update in the
// tick, draw in the frame, init and release on the main thread.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"
#include "game/field/block.h"

constexpr int kGridColumns = 6;
constexpr int kGridRows = 5;
constexpr int kGridCells = 30;
constexpr int32_t kNoBlock = -10;

struct BlockGrid {
  Block blocks[kGridCells + 1];  // entry 30 is a spare, never laid out
  float cellSize;
  int32_t lastIndex;
  int32_t chainLength;
  int32_t chain[kGridCells];
  int32_t typeCount[5];
  int32_t sweetCount;
};

struct Board {
  Texture plateTexture;
  float x, y;
  float slideSpeed;
  float targetX, targetY;
  bool slidingIn;
  bool slidingOut;
  Sprite plate;
  BlockGrid grid;
  bool newPlateReady;
};

extern Board board;

int32_t BoardInit(Board* b);
void BoardReset(Board* b);
void BoardUpdate(Board* b);
void BoardDraw(Board* b);
void BoardRelease(Board* b);
void BoardSlideIn(Board* b);
void BoardBonusLayout(Board* b);
// Where block index rests on the plate as it stands now (a picked block
// rises above it).
Vec2 BoardCellCentre(const Board* b, int32_t index);

// The recipe table as a rule on plain values: the type counts since the last
// sweet and the kind of the last sweet made on the plate (0 for none).
// kind 0 means "nothing yet"; upgrade means the last sweet is re-made in its
// own slot from count blocks.
struct RecipeResult {
  int32_t kind;
  int32_t count;
  bool upgrade;
};
RecipeResult RecipeRule(const int32_t typeCount[5], int32_t previousKind);

// Type of block index in the bottom row before the shuffle, by ordersCleared.
int32_t PlateRowFourType(int32_t index, int32_t cleared);
// The fixed pattern of the bonus plate: type of block index.
int32_t BonusLayoutType(int32_t index, int32_t cleared);

void GridBuild(BlockGrid* grid, float x, float y);
void GridLayout(BlockGrid* grid, float x, float y);
void GridPlace(BlockGrid* grid, float x, float y);
void GridUpdate(BlockGrid* grid);
void GridTrySelect(BlockGrid* grid, int32_t index);
void GridCheckRecipe(BlockGrid* grid, int32_t type);
int32_t GridMakeSweet(BlockGrid* grid, int32_t slot, int32_t count, int32_t kind);
