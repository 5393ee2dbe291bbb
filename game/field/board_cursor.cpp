// The keyboard and pad cursor on the board: moves one block a step, aims the
// keys' finger at the block it frames, and is drawn over the blocks.
#include "game/field/board_cursor.h"

#include "engine/app/app.h"
#include "game/field/board.h"
#include "game/scene/contents_picture.h"
#include "game/scene/key_play.h"

namespace {

// A little larger than a block's cell, so the frame sits around the block.
constexpr float kFrameSize = 108.0f;
// Where a finger rests that must touch nothing: off the screen.
constexpr Vec2 kNowhere = {-1000.0f, -1000.0f};

}  // namespace

BoardCursor boardCursor;

int32_t BoardCursorInit(BoardCursor* c) {
  c->cell = 0;
  c->ownsHold = false;
  SpriteInit(&c->frame);
  c->frame.size = MakeVec2(kFrameSize, kFrameSize);
  c->frame.color = MakeColor(1, 1, 1, 1);
  if (LoadContentsPicture(&c->texture, "cursor.png") != 0) return 1;
  return 0;
}

void BoardCursorUpdate(BoardCursor* c) {
  KeyPlay* k = &keyPlay;
  c->cell = BoardCursorStep(c->cell, k->stepX, k->stepY);
  if (k->fingerPressed) c->ownsHold = true;
  if (!k->fingerHeld) c->ownsHold = false;
  const bool aimAtBoard = c->ownsHold || !k->fingerHeld;
  KeyPlayAim(k, aimAtBoard ? BoardCellCentre(&board, c->cell) : kNowhere);
}

void BoardCursorDraw(BoardCursor* c) {
  // Without its picture the frame would be a black square over the block.
  if (!keyPlay.active || c->texture == 0) return;
  c->frame.pos = BoardCellCentre(&board, c->cell);
  DrawSprite(&c->frame, &c->texture);
}

void BoardCursorRelease(BoardCursor* c) { DeleteTexture(&c->texture); }

int32_t BoardCursorStep(int32_t cell, int32_t dx, int32_t dy) {
  int32_t column = cell % kGridColumns + dx;
  int32_t row = cell / kGridColumns + dy;
  if (column < 0) column = 0;
  if (column >= kGridColumns) column = kGridColumns - 1;
  if (row < 0) row = 0;
  if (row >= kGridRows) row = kGridRows - 1;
  return row * kGridColumns + column;
}
