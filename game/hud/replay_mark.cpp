// The replay mark: the word in the game's own font, drawn only while the
// round plays a record.
#include "game/hud/replay_mark.h"

namespace {

// Glyph centres: the first right of the pause button, all above the board's
// frame and left of the score's digits.
constexpr int32_t kMarkX = 116;
constexpr int32_t kMarkY = 22;
constexpr float kGlyphSide = 38.0f;
constexpr int32_t kAdvance = 30;

}  // namespace

ReplayMark replayMark;

int32_t ReplayMarkInit(ReplayMark* mark, bool shown) {
  mark->shown = shown;
  if (!shown) return 0;
  const int32_t failed = FontInit(&mark->text);
  FontSetText(&mark->text, "REPLAY", kMarkX, kMarkY, 1.0f, 0.3f, 0.45f, 1.0f, kGlyphSide, kGlyphSide, kAdvance);
  return failed;
}

void ReplayMarkDraw(ReplayMark* mark) {
  if (mark->shown) FontDraw(&mark->text);
}

void ReplayMarkRelease(ReplayMark* mark) {
  if (mark->shown) FontRelease(&mark->text);
  mark->shown = false;
}
