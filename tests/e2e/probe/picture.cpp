// Screenshots and PNG files in memory, sampling and the region measures.
#include "e2e/probe/picture.h"

#include <cmath>
#include <cstdio>

#include "engine/render/png_decode.h"

bool LoadPngPicture(const std::string& path, Picture* out) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  PngImage image{};
  int32_t failed = DecodePngFile(file, &image);
  std::fclose(file);
  if (failed != 0) return false;
  out->width = image.width;
  out->height = image.height;
  size_t count = static_cast<size_t>(image.width) * image.height;
  out->rgba.assign(count * 4, 255);
  int stride = image.code == 0 ? 4 : 3;
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < stride; ++c) out->rgba[i * 4 + c] = image.pixels[i * stride + c];
  FreePngImage(&image);
  return true;
}

bool LoadScreenshot(const std::string& path, Picture* out) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  size_t count = static_cast<size_t>(kScreenWidth) * kScreenHeight;
  std::vector<uint8_t> rgb(count * 3);
  size_t got = std::fread(rgb.data(), 1, rgb.size(), file);
  std::fclose(file);
  if (got != rgb.size()) return false;
  out->width = kScreenWidth;
  out->height = kScreenHeight;
  out->rgba.assign(count * 4, 255);
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < 3; ++c) out->rgba[i * 4 + c] = rgb[i * 3 + c];
  return true;
}

Rgba PixelAt(const Picture& picture, int x, int y) {
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  if (x >= picture.width) x = picture.width - 1;
  if (y >= picture.height) y = picture.height - 1;
  const uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4];
  return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]), p[3] / 255.0f};
}

Rgba SampleUv(const Picture& picture, float u, float v) {
  float fx = u * picture.width - 0.5f;
  float fy = v * picture.height - 0.5f;
  int x0 = static_cast<int>(std::floor(fx));
  int y0 = static_cast<int>(std::floor(fy));
  float tx = fx - x0;
  float ty = fy - y0;
  Rgba q[4] = {PixelAt(picture, x0, y0), PixelAt(picture, x0 + 1, y0), PixelAt(picture, x0, y0 + 1),
               PixelAt(picture, x0 + 1, y0 + 1)};
  float w[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
  Rgba out{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    out.r += q[i].r * w[i];
    out.g += q[i].g * w[i];
    out.b += q[i].b * w[i];
    out.a += q[i].a * w[i];
  }
  return out;
}

Rgba ComposeAt(const std::vector<Layer>& layers, int x, int y) {
  Rgba out{0, 0, 0, 1};
  // Pixel centres, as the rasteriser samples them.
  float px = x + 0.5f;
  float py = y + 0.5f;
  for (const Layer& layer : layers) {
    if (px < layer.x || py < layer.y || px >= layer.x + layer.w || py >= layer.y + layer.h) continue;
    Rgba texel = SampleUv(*layer.picture, layer.u + (px - layer.x) / layer.w * layer.uw,
                          layer.v + (py - layer.y) / layer.h * layer.vh);
    out.r = texel.r * texel.a + out.r * (1 - texel.a);
    out.g = texel.g * texel.a + out.g * (1 - texel.a);
    out.b = texel.b * texel.a + out.b * (1 - texel.a);
  }
  return out;
}

double Correlation(const Picture& shot, const std::vector<Layer>& layers, Region region) {
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  long n = 0;
  // Every other pixel of every other row: plenty for pictures this size.
  for (int y = region.y; y < region.y + region.h; y += 2) {
    for (int x = region.x; x < region.x + region.w; x += 2) {
      Rgba a = PixelAt(shot, x, y);
      Rgba b = ComposeAt(layers, x, y);
      float av[3] = {a.r, a.g, a.b};
      float bv[3] = {b.r, b.g, b.b};
      for (int c = 0; c < 3; ++c) {
        sa += av[c];
        sb += bv[c];
        saa += av[c] * av[c];
        sbb += bv[c] * bv[c];
        sab += av[c] * bv[c];
        ++n;
      }
    }
  }
  if (n == 0) return 0;
  double va = saa - sa * sa / n;
  double vb = sbb - sb * sb / n;
  if (va <= 1e-9 || vb <= 1e-9) return 0;
  return (sab - sa * sb / n) / std::sqrt(va * vb);
}

double ColourShare(const Picture& shot, Region region, Rgba low, Rgba high) {
  long inside = 0, n = 0;
  for (int y = region.y; y < region.y + region.h; ++y) {
    for (int x = region.x; x < region.x + region.w; ++x) {
      Rgba p = PixelAt(shot, x, y);
      ++n;
      if (p.r >= low.r && p.r <= high.r && p.g >= low.g && p.g <= high.g && p.b >= low.b && p.b <= high.b) ++inside;
    }
  }
  return n == 0 ? 0 : static_cast<double>(inside) / n;
}

double MeanLuma(const Picture& shot, Region region) {
  double sum = 0;
  long n = 0;
  for (int y = region.y; y < region.y + region.h; ++y) {
    for (int x = region.x; x < region.x + region.w; ++x) {
      Rgba p = PixelAt(shot, x, y);
      sum += 0.299 * p.r + 0.587 * p.g + 0.114 * p.b;
      ++n;
    }
  }
  return n == 0 ? 0 : sum / n;
}
