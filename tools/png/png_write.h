// Writes an 8-bit RGB or RGBA pixel block (rows top first, tightly packed) as
// a PNG file with libpng, in the smallest exact layout that still loads
// fast. Returns 0 on success, 1 on failure.
#pragma once

#include <cstdint>

int WritePng(const char* path, int width, int height, int channels, const uint8_t* pixels);

inline int WriteRgbaPng(const char* path, int width, int height, const uint8_t* rgba) {
  return WritePng(path, width, height, 4, rgba);
}
