// Pictures for the whole-program checks: screenshots and the game's own PNG
// files in memory, and the measures that compare a screen region with what
// the game is meant to draw there (pictures placed the way the game places
// them, correlated so that a fade's brightness does not matter).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 576;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // rows top first
};

struct Rgba {
  float r, g, b, a;  // 0..255 colour, 0..1 alpha
};

struct Region {
  int x, y, w, h;
};

// A picture drawn into a screen rectangle from a texture rectangle, as the
// game's sprites are (no rotation).
struct Layer {
  const Picture* picture;
  float u, v, uw, vh;
  float x, y, w, h;
};

bool LoadPngPicture(const std::string& path, Picture* out);
// A raw 8-bit RGB screenshot of the game's window (ImageMagick's rgb: output).
bool LoadScreenshot(const std::string& path, Picture* out);

Rgba PixelAt(const Picture& picture, int x, int y);
// Bilinear sample at texture coordinates (u, v), clamped to the edges.
Rgba SampleUv(const Picture& picture, float u, float v);
// The colour the layers give at a screen pixel, drawn in order over black.
Rgba ComposeAt(const std::vector<Layer>& layers, int x, int y);

// Pearson correlation of the screen region with the composed layers over the
// three colour channels: 1 when the region shows them at any brightness.
double Correlation(const Picture& shot, const std::vector<Layer>& layers, Region region);
// Share of the region's pixels whose colour lies inside the box.
double ColourShare(const Picture& shot, Region region, Rgba low, Rgba high);
double MeanLuma(const Picture& shot, Region region);
