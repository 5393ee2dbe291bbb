// The real game window with its GL context for tests that draw: opened once
// per test process (no timer thread: tests run their ticks themselves), and
// read back as RGBA pixels of the 1024 x 576 frame, top row first.
#pragma once

#include <cstdint>
#include <vector>

struct Color4 {
  uint8_t r, g, b, a;
  bool operator==(const Color4& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Color4& o) const { return !(*this == o); }
};

constexpr int32_t kTestFrameWidth = 1024;
constexpr int32_t kTestFrameHeight = 576;

// Opens the window and GL context with every engine module started; later
// calls do nothing. Aborts the test process when no window can be opened.
void EnsureGlWindow();
// The frame drawn so far (the back buffer, before any swap): width x height x 4
// bytes, RGBA, rows from the top of the screen down.
std::vector<uint8_t> ReadFramePixels();
// One pixel of the frame drawn so far, y counted from the top.
Color4 PixelAt(int32_t x, int32_t y);
