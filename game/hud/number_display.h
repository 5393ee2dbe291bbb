// An 8-digit counter drawn from "font.png" that counts toward score: the
// round's score in the corner, and the clear scene's large count-up.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

struct NumberDisplay {
  int32_t shown;
  Sprite digits[8];
  int32_t maximum;
  int32_t target;
  Texture fontTexture;
  int32_t digitScratch;
  int32_t tickCounter;
};

int32_t NumberDisplayInit(NumberDisplay* d, float rightX, float topY, int32_t digitSize, bool shift);
void NumberDisplayUpdate(NumberDisplay* d);
void NumberDisplayDraw(NumberDisplay* d);
void NumberDisplaySnap(NumberDisplay* d);
// Shows value at once and for good (a display that is not updated): the best
// score beside the count.
void NumberDisplayShow(NumberDisplay* d, int32_t value);
void NumberDisplayRelease(NumberDisplay* d);

// One counting step: the new shown value for a shown value and a target.
int32_t NumberDisplayStep(int32_t shown, int32_t target);
