// The pure PNG decode step shared by the texture loaders and the fuzzer:
// bytes or an open file in, an 8-bit RGB or RGBA pixel block out. No GL, so
// it runs anywhere; a damaged file frees everything and reports failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Largest accepted image: each side and the whole decoded block.
constexpr uint32_t kPngMaxSide = 16384;
constexpr size_t kPngMaxPixelBytes = size_t{64} << 20;

struct PngImage {
  int32_t width;
  int32_t height;
  int32_t code;             // kPixelRgb (1) or kPixelRgba (0), the CreateTexture code
  int32_t sourceColorType;  // the file's own colour type (0 grey .. 6 RGBA)
  uint8_t* pixels;          // rows top first, tightly packed; free with FreePngImage
};

// Grey, grey-alpha, palette, 16-bit and tRNS images are converted to 8-bit
// RGB or RGBA; samples are kept as stored (no gamma correction). Return 0 on
// success, 1 on any failure, with *out zeroed.
int32_t DecodePngMemory(const void* data, size_t size, PngImage* out);
int32_t DecodePngFile(FILE* file, PngImage* out);
void FreePngImage(PngImage* image);

// The same decode handed out a strip of rows at a time, so a large picture
// never needs a buffer of its own: `begin` gets the header (pixels null) once
// the file's size and layout are known and returns 0 to go on; `rows` then
// gets every row, top first, in strips of up to kPngStripRows rows. An
// interlaced file arrives as one strip after the last pass. Returns 0 when
// the whole file decoded; 1 on any failure, also after `begin` was called
// (the caller drops what it built from the rows).
constexpr int32_t kPngStripRows = 32;
struct PngRowSink {
  void* context;
  int32_t (*begin)(void* context, const PngImage& header);
  void (*rows)(void* context, int32_t firstRow, int32_t count, const uint8_t* pixels);
};
int32_t DecodePngFileInStrips(FILE* file, const PngRowSink& sink);
