// The 8-digit counter drawn from "font.png": it moves toward the score a tenth
// of the gap every fourth tick and snaps when close, so big gains roll in.
#include "game/hud/number_display.h"

#include <cstdio>

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/round_state.h"

namespace {

constexpr int kDigitCount = 8;
static_assert(kScoreMaximum == 99999999, "the counter shows eight digits");
// "font.png" is 32 x 4 cells; the digits sit in row 1 from column 16 on.
constexpr float kFontCell = 0.03125f;
constexpr float kFontRowHeight = 0.25f;
constexpr int32_t kDigitColumn = 16;
constexpr int32_t kTicksPerStep = 4;
constexpr int32_t kSnapDistance = 19;

void SetDigitGlyph(Sprite* digit, int32_t d) {
  digit->uv[0] = static_cast<float>(d + kDigitColumn) * kFontCell;
  digit->uv[1] = kFontRowHeight;
  digit->uv[2] = kFontCell;
  digit->uv[3] = kFontRowHeight;
}

// Leading zeros are drawn: the counter always shows eight digits.
void SetDigits(NumberDisplay* d, int32_t value) {
  d->digitScratch = value;
  for (int k = 0; k < kDigitCount; ++k) {
    SetDigitGlyph(&d->digits[k], d->digitScratch % 10);
    if (d->digitScratch > 0) d->digitScratch /= 10;
  }
}

}  // namespace

int32_t NumberDisplayInit(NumberDisplay* d, float rightX, float topY, int32_t digitSize,
                          bool shift) {
  const char* kFontFile = "font.png";
  if (LoadContentsPicture(&d->fontTexture, kFontFile) != 0) return 1;
  const int32_t half = digitSize / 2;
  const float size = static_cast<float>(digitSize);
  for (int i = 1; i <= kDigitCount; ++i) {
    Sprite* digit = &d->digits[i - 1];
    SpriteInit(digit);
    digit->size = MakeVec2(size, size);
    float x = rightX - static_cast<float>(i * digitSize) + static_cast<float>(half);
    if (shift) x += 4.0f * size;
    digit->pos = MakeVec2(x, topY + static_cast<float>(half));
    digit->color = MakeColor(0.0f, 1.0f, 1.0f, 1.0f);
    // No glyph until the first update picks one.
    digit->uv[0] = digit->uv[1] = digit->uv[2] = digit->uv[3] = 0.0f;
  }
  d->maximum = kScoreMaximum;
  d->digitScratch = 0;
  d->target = 0;
  d->shown = 0;
  return 0;
}

int32_t NumberDisplayStep(int32_t shown, int32_t target) {
  const int32_t diff = target - shown;
  if (diff >= -kSnapDistance && diff <= kSnapDistance) return target;
  return shown + static_cast<int32_t>(static_cast<double>(diff) * 0.1);
}

void NumberDisplayUpdate(NumberDisplay* d) {
  // A score out of range is repaired at its source too, not just on screen.
  if (score < 0) score = 0;
  if (score > kScoreMaximum) score = kScoreMaximum;
  d->target = score;
  if (d->target > d->maximum) d->target = d->maximum;
  d->tickCounter += 1;
  if (d->tickCounter % kTicksPerStep != 0) return;

  d->shown = NumberDisplayStep(d->shown, d->target);
  SetDigits(d, d->shown);
}

void NumberDisplayShow(NumberDisplay* d, int32_t value) {
  if (value > d->maximum) value = d->maximum;
  if (value < 0) value = 0;
  d->target = value;
  d->shown = value;
  SetDigits(d, value);
}

void NumberDisplayDraw(NumberDisplay* d) {
  for (int k = 0; k < kDigitCount; ++k) DrawSprite(&d->digits[k], &d->fontTexture);
}

void NumberDisplaySnap(NumberDisplay* d) {
  // Kept within what eight digits can show, as the update keeps the target.
  int32_t value = score;
  if (value > d->maximum) value = d->maximum;
  if (value < 0) value = 0;
  d->digitScratch = value;
  d->target = value;
  d->shown = value;
}

void NumberDisplayRelease(NumberDisplay* d) { DeleteTexture(&d->fontTexture); }
