// Times the sprite renderer and the PNG decode: a frame of 250 textured,
// rotated, tinted and blended 90 x 90 quads through DrawSprite with depth on
// (finished with glFinish, so the software renderer's fill is counted), and
// decoding a 2048 x 256 RGBA picture. GL parts need an X display (xvfb-run).
#include <GL/glew.h>
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/app/app.h"
#include "engine/render/png_decode.h"
#include "engine/render/sprite.h"
#include "engine/render/texture.h"

namespace {

constexpr int kQuadsPerFrame = 250;
constexpr float kQuadSize = 90.0f;
constexpr int kPictureWidth = 2048;
constexpr int kPictureHeight = 256;

// A busy RGBA picture (smooth gradients with some noise) so the compressed
// data is of realistic size rather than a few bytes of zeros.
std::vector<uint8_t> MakePicture() {
  std::vector<uint8_t> rgba(size_t(kPictureWidth) * kPictureHeight * 4);
  uint32_t seed = 12345;
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      uint8_t* p = &rgba[(size_t(y) * kPictureWidth + x) * 4];
      p[0] = uint8_t(x / 8 + (seed >> 29));
      p[1] = uint8_t(y + (seed >> 30));
      p[2] = uint8_t((x ^ y) & 0xFF);
      p[3] = uint8_t(((x / 64 + y / 64) & 1) ? 255 : 128 + (seed >> 27));
    }
  }
  return rgba;
}

std::vector<uint8_t> EncodePicture(const std::vector<uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kPictureWidth;
  image.height = kPictureHeight;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
  png.resize(size);
  return png;
}

bool OpenWindow() {
  static int opened = -1;
  if (opened < 0) {
    opened = CreateAppWindow("TIDE_MARKER bench", 1024, 576, kNoTimerThread | kNoVsync) == 0;
    SetClearColor(0, 0, 0, 1);
    SetScreenSize(1024, 576);
  }
  return opened == 1;
}

void BM_SpriteFrame250Quads(benchmark::State& state) {
  if (!OpenWindow()) {
    state.SkipWithError("no GL window (run under xvfb-run)");
    return;
  }
  std::vector<uint8_t> pixels = MakePicture();
  Texture texture = 0;
  CreateTextureFromPixels(&texture, kPictureWidth, kPictureHeight, kPixelRgba, pixels.data());
  std::vector<Sprite> sprites(kQuadsPerFrame);
  for (int i = 0; i < kQuadsPerFrame; ++i) {
    Sprite& s = sprites[i];
    SpriteInit(&s);
    s.pos = MakeVec2(float(45 + (i * 37) % 934), float(45 + (i * 53) % 486));
    s.size = MakeVec2(kQuadSize, kQuadSize);
    s.color = MakeColor(1.0f, 0.5f + (i % 5) * 0.1f, 0.8f, 0.5f + (i % 3) * 0.25f);
    s.uv[0] = (i % 32) / 32.0f, s.uv[1] = (i % 4) / 4.0f, s.uv[2] = 1 / 32.0f, s.uv[3] = 0.25f;
    s.angle = float(i * 7 % 360);
    s.depth = (i % 10) / 10.0f;
  }
  for (auto _ : state) {
    ClearScreen();
    for (const Sprite& s : sprites) DrawSprite(&s, &texture);
    FlushQuads();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuadsPerFrame);
  DeleteTexture(&texture);
}
BENCHMARK(BM_SpriteFrame250Quads)->Unit(benchmark::kMillisecond);

void BM_DecodePng2048x256(benchmark::State& state) {
  std::vector<uint8_t> png = EncodePicture(MakePicture());
  if (png.empty()) {
    state.SkipWithError("could not encode the picture");
    return;
  }
  for (auto _ : state) {
    PngImage image;
    if (DecodePngMemory(png.data(), png.size(), &image) != 0) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(image.pixels);
    FreePngImage(&image);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPictureWidth} * kPictureHeight * 4);
  state.counters["png_bytes"] = double(png.size());
}
BENCHMARK(BM_DecodePng2048x256)->Unit(benchmark::kMillisecond);

// The whole loader: decode plus the texture upload.
void BM_LoadPngTexture2048x256(benchmark::State& state) {
  if (!OpenWindow()) {
    state.SkipWithError("no GL window (run under xvfb-run)");
    return;
  }
  std::vector<uint8_t> png = EncodePicture(MakePicture());
  for (auto _ : state) {
    Texture texture = 0;
    LoadPngTextureFromMemory(&texture, 0, png.data(), png.size());
    glFinish();
    DeleteTexture(&texture);
  }
}
BENCHMARK(BM_LoadPngTexture2048x256)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
