// Reads a screenshot of the game the way a player looks at it: which scene
// shows, the eight score digits, and the ingredient of each block on the
// plate. Every check compares with the game's own pictures, placed where the
// game draws them, so new artwork does not break it.
#pragma once

#include <string>

#include "e2e/probe/picture.h"

// The game's pictures, each read from the contents folder when a check first
// needs it (a probe run makes one check; decoding all of them would cost more
// than the check under the sanitizers). A missing picture ends the probe.
struct GamePictures {
  std::string contentsDir;
  Picture logo, logoPemo, gameBack, pmBack, poseback, button, block, font;
};

// One of: black, logo1, logo2, title, loading (also the round's opening
// overlay, the same panel), pause (the open menu), game, clear, other.
std::string ReadScene(const Picture& shot, GamePictures* pictures);

// The 8 digits of the score counter, left to right, '?' where no digit reads.
// place: "hud" (the game's top-right counter), "clear" (the clear scene's),
// "best" (the clear scene's best) or "title" (the title's best); "" for any
// other name.
std::string ReadScoreDigits(const Picture& shot, GamePictures* pictures, const std::string& place);

// The type (0..4) of the block in each of the 30 cells of a plate standing in
// place, row by row; -1 where the cell does not show a block at rest.
void ReadPlate(const Picture& shot, GamePictures* pictures, int types[30]);

// Screen centre of plate cell i once the plate is in place.
int CellCentreX(int i);
int CellCentreY(int i);
