// Writes an 8-bit RGBA pixel block (rows top first, tightly packed) as a PNG
// file with libpng. Returns 0 on success, 1 on failure.
#pragma once

#include <cstdint>

int WriteRgbaPng(const char* path, int width, int height, const uint8_t* rgba);
