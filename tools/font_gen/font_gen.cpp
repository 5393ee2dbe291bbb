// Renders the bitmap font picture: 2048 x 256 RGBA, 32 columns by 4 rows of
// 64 x 64 cells, character c in column c mod 32 and row c div 32, codes 32 to
// 126 drawn (row 0 stays empty). Each glyph is white with a dark outline, so it
// reads on any background once the game tints it.
//   font_gen <font.ttf> <out.png>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cstdio>
#include <vector>

#include "png/png_write.h"

namespace {

constexpr int kCell = 64;
constexpr int kColumns = 32;
constexpr int kRows = 4;
constexpr int kWidth = kCell * kColumns;
constexpr int kHeight = kCell * kRows;
// Nominal pixel size and the baseline row inside a cell: capitals and digits
// (0.73 em tall) sit centred on the cell with this pair.
constexpr int kPixelSize = 56;
constexpr int kBaseline = 52;
constexpr int kMargin = 1;
// Outline radius in pixels; glyphs are drawn at half size or more, where this
// is still a clear dark rim.
constexpr double kOutline = 3.5;
constexpr uint8_t kOutlineRgb[3] = {44, 22, 52};

struct GlyphBitmap {
  std::vector<uint8_t> coverage;
  int width = 0;
  int height = 0;
  int left = 0;  // pen origin to the bitmap's left edge
  int top = 0;   // baseline to the bitmap's top edge (upwards)
};

// Renders the glyph of one character, filled (stroke false) or as the grown
// outline (stroke true). Returns false when FreeType fails.
bool RenderGlyph(FT_Face face, FT_Stroker stroker, unsigned code, bool stroke, GlyphBitmap* out) {
  if (FT_Load_Char(face, code, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING)) return false;
  FT_Glyph glyph = nullptr;
  if (FT_Get_Glyph(face->glyph, &glyph)) return false;
  if (stroke && FT_Glyph_Stroke(&glyph, stroker, 1)) {
    FT_Done_Glyph(glyph);
    return false;
  }
  if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1)) {
    FT_Done_Glyph(glyph);
    return false;
  }
  auto* bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
  const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
  out->width = static_cast<int>(bitmap.width);
  out->height = static_cast<int>(bitmap.rows);
  out->left = bitmapGlyph->left;
  out->top = bitmapGlyph->top;
  out->coverage.assign(static_cast<size_t>(out->width) * out->height, 0);
  for (int y = 0; y < out->height; ++y) {
    for (int x = 0; x < out->width; ++x) {
      out->coverage[static_cast<size_t>(y) * out->width + x] = bitmap.buffer[y * bitmap.pitch + x];
    }
  }
  FT_Done_Glyph(glyph);
  return true;
}

// Draws character code into its cell: fill over outline, centred across the
// cell, standing on the common baseline unless that would leave the cell.
void DrawCharacter(FT_Face face, FT_Stroker stroker, unsigned code, std::vector<uint8_t>* rgba) {
  GlyphBitmap fill, outline;
  // Very wide glyphs (W, M, @) shrink until the outline fits the cell.
  for (int size = kPixelSize; size >= 24; size -= 2) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    if (!RenderGlyph(face, stroker, code, false, &fill)) return;
    if (!RenderGlyph(face, stroker, code, true, &outline)) return;
    if (outline.width <= kCell - 2 * kMargin && outline.height <= kCell - 2 * kMargin) break;
  }
  if (outline.width == 0 || outline.height == 0) return;
  const int cellX = static_cast<int>(code % kColumns) * kCell;
  const int cellY = static_cast<int>(code / kColumns) * kCell;
  int ox = (kCell - outline.width) / 2;
  int oy = kBaseline - outline.top;
  oy = std::clamp(oy, kMargin, kCell - kMargin - outline.height);
  ox = std::clamp(ox, kMargin, kCell - kMargin - outline.width);
  // The fill keeps its place relative to the outline.
  const int fx = ox + (fill.left - outline.left);
  const int fy = oy - (fill.top - outline.top);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      int a = 0, f = 0;
      const int sx = x - ox, sy = y - oy;
      if (sx >= 0 && sy >= 0 && sx < outline.width && sy < outline.height) {
        a = outline.coverage[static_cast<size_t>(sy) * outline.width + sx];
      }
      const int gx = x - fx, gy = y - fy;
      if (gx >= 0 && gy >= 0 && gx < fill.width && gy < fill.height) {
        f = fill.coverage[static_cast<size_t>(gy) * fill.width + gx];
      }
      a = std::max(a, f);
      if (a == 0) continue;
      uint8_t* p = &(*rgba)[(static_cast<size_t>(cellY + y) * kWidth + cellX + x) * 4];
      // Straight (not premultiplied) colour: the white share is fill / alpha.
      for (int c = 0; c < 3; ++c) {
        p[c] = static_cast<uint8_t>((f * 255 + (a - f) * kOutlineRgb[c] + a / 2) / a);
      }
      p[3] = static_cast<uint8_t>(a);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: font_gen <font.ttf> <out.png>\n");
    return 2;
  }
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FT_Stroker stroker = nullptr;
  if (FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face) ||
      FT_Stroker_New(library, &stroker)) {
    std::fprintf(stderr, "font_gen: cannot open %s\n", argv[1]);
    return 1;
  }
  FT_Stroker_Set(stroker, static_cast<FT_Fixed>(kOutline * 64), FT_STROKER_LINECAP_ROUND,
                 FT_STROKER_LINEJOIN_ROUND, 0);
  std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4, 0);
  for (unsigned code = 33; code < 127; ++code) DrawCharacter(face, stroker, code, &rgba);
  FT_Stroker_Done(stroker);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (WriteRgbaPng(argv[2], kWidth, kHeight, rgba.data())) {
    std::fprintf(stderr, "font_gen: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
