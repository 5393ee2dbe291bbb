// Shared helpers of the render tests that draw: a cleared 1024 x 576 frame
// in the game's GL state, small textures made from colours, and the box of
// the pixels that match a colour test.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/render/sprite.h"
#include "engine/render/texture.h"
#include "support/engine/gl_test_context.h"

// Opens the window once, then clears to black with normal blending and the
// renderer pointed at the 1024 x 576 virtual screen.
inline void BeginTestFrame(float r = 0.0f, float g = 0.0f, float b = 0.0f) {
  EnsureGlWindow();
  SetScreenSize(1024.0f, 576.0f);
  SetBlendMode(kBlendAlpha);
  SetDepthTest(1);
  SetClearColor(r, g, b, 1.0f);
  ClearScreen();
  SetClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

// A texture of the given RGBA pixels (rows top first), sampled nearest so
// every texel shows as a flat patch.
inline Texture MakeTexture(int32_t width, int32_t height, const std::vector<uint8_t>& rgba) {
  EnsureGlWindow();
  Texture texture = 0;
  CreateTextureFromPixels(&texture, width, height, kPixelRgba, rgba.data());
  glBindTexture(GL_TEXTURE_2D, texture);
  SetTextureFilter(1, 1);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

inline Texture SolidTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  return MakeTexture(1, 1, {r, g, b, a});
}

struct PixelBox {
  int32_t left, top, right, bottom;  // inclusive; left > right when empty
  int64_t count;
};

inline PixelBox FindPixels(const std::vector<uint8_t>& frame,
                           const std::function<bool(const uint8_t*)>& match) {
  PixelBox box{kTestFrameWidth, kTestFrameHeight, -1, -1, 0};
  for (int32_t y = 0; y < kTestFrameHeight; ++y) {
    for (int32_t x = 0; x < kTestFrameWidth; ++x) {
      if (!match(&frame[(size_t(y) * kTestFrameWidth + x) * 4])) continue;
      if (x < box.left) box.left = x;
      if (x > box.right) box.right = x;
      if (y < box.top) box.top = y;
      if (y > box.bottom) box.bottom = y;
      ++box.count;
    }
  }
  return box;
}

inline bool IsLit(const uint8_t* p) { return p[0] > 0 || p[1] > 0 || p[2] > 0; }
