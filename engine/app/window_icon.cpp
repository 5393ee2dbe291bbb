// The window's icon, read from a PNG file (the game keeps its own in the
// contents folder) and handed to the platform layer.
#include <cstdio>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "engine/render/png_decode.h"
#include "engine/render/texture.h"

int32_t SetWindowIcon(const char* path) {
  FILE* file = path != nullptr && path[0] != '\0' ? std::fopen(path, "rb") : nullptr;
  PngImage image{};
  int32_t decoded = file != nullptr ? DecodePngFile(file, &image) : 1;
  if (file != nullptr) std::fclose(file);
  if (decoded != 0) {
    std::fprintf(stderr, "window icon: cannot read %s\n", path != nullptr ? path : "(no path)");
    return 1;
  }
  int32_t result = PlatformSetWindowIcon(image.pixels, image.width, image.height, image.code == kPixelRgba);
  FreePngImage(&image);
  return result;
}
