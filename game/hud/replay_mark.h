// "REPLAY" in the bitmap font, in the strip above the board between the
// pause button and the score: shown while a replayed round plays, clear of
// the board, gauge, score, customer and order balloon.
#pragma once

#include <cstdint>

#include "engine/render/font.h"

struct ReplayMark {
  BitmapFont text;
  bool shown;
};

extern ReplayMark replayMark;

// Main thread (scene set-up): shown when the round is a replay.
int32_t ReplayMarkInit(ReplayMark* mark, bool shown);
void ReplayMarkDraw(ReplayMark* mark);
void ReplayMarkRelease(ReplayMark* mark);
