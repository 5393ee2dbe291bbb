// The selection cursor of keyboard and pad play: a frame around one block of
// the board that the directions move and the finger key presses. Shown only
// while keys were used last. Update in the tick while the round runs, before
// the HUD and the board read the finger; draw in the frame.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

struct BoardCursor {
  Texture texture;
  Sprite frame;
  // The block under the cursor, 0 (top left) to 29; kept from plate to plate.
  int32_t cell;
  // True while the finger key held down was pressed on the board; a hold
  // that began in the pause menu picks nothing once the round goes on.
  bool ownsHold;
};

extern BoardCursor boardCursor;

int32_t BoardCursorInit(BoardCursor* c);
void BoardCursorUpdate(BoardCursor* c);
void BoardCursorDraw(BoardCursor* c);
void BoardCursorRelease(BoardCursor* c);

// The cell one step from cell, never leaving the 6 x 5 board.
int32_t BoardCursorStep(int32_t cell, int32_t dx, int32_t dy);
