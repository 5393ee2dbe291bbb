// The engine's TrueType text engine: FreeType is started at start-up and
// stopped at shutdown with its default style (20 pixels, white). The game
// draws no TrueType text, so no drawing lives here.
#include <ft2build.h>
#include FT_FREETYPE_H

#include "engine/render/sprite.h"

namespace {

constexpr int32_t kTrueTypeDefaultPixelSize = 20;

struct TrueTypeEngine {
  FT_Library library;
  int32_t pixelSize;
  Color color;
};
TrueTypeEngine trueType{nullptr, 0, Color{0, 0, 0, 0}};

}  // namespace

int32_t TrueTypeInit() {
  if (trueType.library == nullptr && FT_Init_FreeType(&trueType.library) != 0) {
    trueType.library = nullptr;
    return 1;
  }
  trueType.pixelSize = kTrueTypeDefaultPixelSize;
  trueType.color = Color{1.0f, 1.0f, 1.0f, 1.0f};
  return 0;
}

void TrueTypeRelease() {
  if (trueType.library != nullptr) FT_Done_FreeType(trueType.library);
  trueType.library = nullptr;
}
