// The built-in debug glyph picture: 128 x 256 RGBA, 16 x 16 cells of 8 x 16
// pixels, the glyph of code row * 16 + column in cell (column, row).
#pragma once

#include <cstdint>

constexpr int32_t kDebugGlyphImageWidth = 128;
constexpr int32_t kDebugGlyphImageHeight = 256;
constexpr int32_t kDebugGlyphCellWidth = 8;
constexpr int32_t kDebugGlyphCellHeight = 16;

// Fills rgba (width * height * 4 bytes): white glyph pixels with alpha 255 on
// a fully transparent background. Codes outside 32..126 stay empty.
void BuildDebugGlyphImage(uint8_t* rgba);

// True when the 5 x 7 pattern of the printable code has its pixel (x, y) set.
bool DebugGlyphBit(uint8_t code, int32_t x, int32_t y);
