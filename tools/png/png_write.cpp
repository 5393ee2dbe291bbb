// PNG writer for the generators: libpng, 8 bits, RGB or RGBA, no interlace,
// and no time chunk, so the same pixels always give the same file.
//
// Rows are stored unfiltered at the strongest compression. The game's
// pictures are mostly flat areas and soft edges, which deflate finds as long
// runs without help from the row filters; undoing a filter on every row is
// then the larger part of the load, so an unfiltered file loads about twice
// as fast and comes out no bigger.
#include "png_write.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

int WritePng(const char* path, int width, int height, int channels, const uint8_t* pixels) {
  if (channels != 3 && channels != 4) return 1;
  FILE* file = std::fopen(path, "wb");
  if (!file) return 1;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return 1;
  }
  const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(pixels + static_cast<size_t>(y) * stride);
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return 1;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 ? 0 : 1;
}
