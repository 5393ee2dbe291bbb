// Bitmap font text: lays a short ASCII text out as one sprite per character
// over "font.png" (32 x 4 cells of 64 x 64 pixels in a 2048 x 256 picture)
// and draws the glyphs a fixed advance apart.
#include "engine/render/font.h"

#include <cstdint>
#include <cstring>

#include "engine/app/app.h"

namespace {

const char kFontFileName[] = "font.png";
// Pixel-to-uv factors of the 2048 x 256 picture, and one cell's extent.
constexpr float kUPerPixel = 0.00048828125f;
constexpr float kVPerPixel = 0.00390625f;
constexpr float kCellDu = 0.03125f;
constexpr float kCellDv = 0.25f;
constexpr int32_t kCellPixels = 64;
constexpr size_t kTextBytes = sizeof(BitmapFont{}.text);

// Glyph row of a character taken as a signed byte: row 0 (codes 0..31) is
// never chosen, so controls and bytes 128..255 land in row 1.
int32_t GlyphRow(int32_t ch) {
  if (ch < 64) return 1;
  if (ch > 95) return 3;
  return 2;
}

void LayOut(BitmapFont* font, const char* text, int32_t x, int32_t y) {
  // Keep at most 30 characters: one per glyph sprite, and the buffer stays
  // zero-terminated.
  std::memset(font->text, 0, kTextBytes);
  size_t length = 0;
  if (text != nullptr) {
    while (length < static_cast<size_t>(kFontMaxGlyphs) && text[length] != '\0') ++length;
    std::memcpy(font->text, text, length);
  }
  font->count = static_cast<int32_t>(length);
  for (int32_t j = 0; j < font->count; ++j) {
    int32_t ch = static_cast<signed char>(font->text[j]);
    font->row = GlyphRow(ch);
    // C++'s remainder takes the sign of ch, as the picture's layout expects.
    int32_t column = ch % 32;
    Sprite& glyph = font->glyphs[j];
    glyph.pos = Vec2{static_cast<float>(x), static_cast<float>(y)};
    glyph.size = font->styleSize;
    glyph.color = font->styleColor;
    glyph.uv[0] = static_cast<float>(column * kCellPixels) * kUPerPixel;
    glyph.uv[1] = static_cast<float>(font->row * kCellPixels) * kVPerPixel;
    glyph.uv[2] = kCellDu;
    glyph.uv[3] = kCellDv;
    glyph.bounds = font->styleBounds;
    glyph.angle = font->styleAngle;
    glyph.spare2[0] = font->styleSpare[0];
    glyph.spare2[1] = font->styleSpare[1];
    glyph.depth = font->styleDepth;
  }
}

void SetStyleDefaults(BitmapFont* font) {
  font->text[0] = '\0';
  font->count = 0;
  font->row = 0;
  font->stylePos = Vec2{0.0f, 0.0f};
  font->styleSize = Vec2{32.0f, 32.0f};
  font->styleColor = Color{1.0f, 1.0f, 1.0f, 1.0f};
  font->styleUv[0] = 0.0f;
  font->styleUv[1] = 0.0f;
  font->styleUv[2] = kCellDu;
  font->styleUv[3] = kCellDv;
  font->styleBounds = Bounds{0.0f, 0.0f, 32.0f, 32.0f};
  font->styleAngle = 0.0f;
  font->styleSpare[0] = font->styleSpare[1] = 0.0f;
  font->styleDepth = 0.0f;
  font->flag = 0;
  font->advance = 32;
}

}  // namespace

// The style is set before the picture is loaded, so a font whose picture is
// missing still lays texts out with sane defaults.
int32_t FontInit(BitmapFont* font) {
  for (Sprite& glyph : font->glyphs) SpriteInit(&glyph);
  SetStyleDefaults(font);
  if (LoadTexture(&font->texture, ContentsPath(kFontFileName)) != 0) {
    PrintTextureLoadFailure(kFontFileName);
    return 1;
  }
  return 0;
}

void FontSetText(BitmapFont* font, const char* text, int32_t x, int32_t y, float r, float g,
                 float b, float a, float glyphWidth, float glyphHeight, int32_t advance) {
  LayOut(font, text, x, y);
  for (int32_t i = 0; i < font->count; ++i) {
    font->glyphs[i].color = Color{r, g, b, a};
    font->glyphs[i].size = Vec2{glyphWidth, glyphHeight};
  }
  font->advance = advance;
}

void FontSetTextColored(BitmapFont* font, const char* text, int32_t x, int32_t y, float r,
                        float g, float b, float a) {
  LayOut(font, text, x, y);
  for (int32_t i = 0; i < font->count; ++i) font->glyphs[i].color = Color{r, g, b, a};
}

// Glyph i is placed from glyph 0's x each time, so repeated draws never drift.
void FontDraw(BitmapFont* font) {
  for (int32_t i = 0; i < font->count; ++i) {
    // The offset is formed in integers (wide enough for any advance).
    int64_t offset = static_cast<int64_t>(i) * font->advance;
    font->glyphs[i].pos.x = font->glyphs[0].pos.x + static_cast<float>(offset);
    DrawSprite(&font->glyphs[i], &font->texture);
  }
}

void FontRelease(BitmapFont* font) { DeleteTexture(&font->texture); }
