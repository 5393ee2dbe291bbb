// The engine's fixed-width debug text: one quad per character from the
// built-in glyph picture, drawn through the sprite renderer's direct
// operations. Main thread only.
#include "engine/render/debug_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "engine/render/debug_glyphs.h"
#include "engine/render/sprite.h"

namespace {

// DebugPrintf's buffer: at most 127 characters and the terminating zero.
constexpr int32_t kDebugPrintfBufferSize = 128;
constexpr float kCellUv = 0.0625f;

struct DebugTextState {
  Texture texture;
  int32_t size;
  float scale;
  float depth;
};
DebugTextState debugText{0, 32, 1.0f, 0.1f};

}  // namespace

int32_t DebugTextInit() {
  debugText.size = 32;
  debugText.scale = 1.0f;
  debugText.depth = 0.1f;
  std::vector<uint8_t> image(size_t{kDebugGlyphImageWidth} * kDebugGlyphImageHeight * 4);
  BuildDebugGlyphImage(image.data());
  CreateTextureFromPixels(&debugText.texture, kDebugGlyphImageWidth, kDebugGlyphImageHeight,
                          kPixelRgba, image.data());
  return 0;
}

void DebugTextRelease() { DeleteTexture(&debugText.texture); }

void SetDebugTextSize(int32_t size) {
  debugText.size = size;
  debugText.scale = static_cast<float>(size) * 0.03125f;
}

void SetDebugTextDepth(float depth) { debugText.depth = depth; }

void DrawDebugChar(int32_t x, int32_t y, uint8_t character) {
  int32_t column = character % 16;
  int32_t row = character / 16;
  SetDrawUV(column * kCellUv, row * kCellUv, kCellUv, kCellUv);
  SetDrawPosition(static_cast<float>(x), static_cast<float>(y), debugText.depth);
  SetQuadCentered(16.0f * debugText.scale, 32.0f * debugText.scale);
  BindDrawTexture(&debugText.texture);
  DrawQuad();
}

void DrawDebugText(int32_t x, int32_t y, const char* text) {
  if (text == nullptr) return;
  for (int32_t i = 0; text[i] != '\0'; ++i) {
    int32_t offset = static_cast<int32_t>(debugText.scale * 16.0f * static_cast<float>(i));
    DrawDebugChar(x + offset, y, static_cast<uint8_t>(text[i]));
  }
}

// Longer texts are cut to the buffer; the result is the length drawn.
int32_t DebugPrintf(int32_t x, int32_t y, const char* format, ...) {
  char buffer[kDebugPrintfBufferSize];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return length;
  DrawDebugText(x, y, buffer);
  return length < kDebugPrintfBufferSize ? length : kDebugPrintfBufferSize - 1;
}
