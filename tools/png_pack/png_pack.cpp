// png_pack IN OUT: rewrites a rasterised drawing as the game's pictures are
// stored (see png/png_write.cpp): the same pixels, as 8-bit RGB or RGBA as
// the input has or lacks alpha, written in png_write's smallest layout.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "png/png_write.h"

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> pixels;
};

bool ReadPicture(const char* path, Picture* picture) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  picture->width = static_cast<int>(png_get_image_width(png, info));
  picture->height = static_cast<int>(png_get_image_height(png, info));
  picture->channels = png_get_channels(png, info);
  const size_t stride = static_cast<size_t>(picture->width) * static_cast<size_t>(picture->channels);
  picture->pixels.assign(stride * static_cast<size_t>(picture->height), 0);
  rows.resize(static_cast<size_t>(picture->height));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = &picture->pixels[y * stride];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: png_pack IN.png OUT.png\n");
    return 2;
  }
  Picture picture;
  if (!ReadPicture(argv[1], &picture)) {
    std::fprintf(stderr, "png_pack: cannot read %s\n", argv[1]);
    return 1;
  }
  if (WritePng(argv[2], picture.width, picture.height, picture.channels, picture.pixels.data()) != 0) {
    std::fprintf(stderr, "png_pack: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
