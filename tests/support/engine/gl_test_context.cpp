// Opens the game window once per test process and reads the frame back with
// glReadPixels, turning GL's bottom-up rows into top-down ones.
#include "support/engine/gl_test_context.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/app.h"
#include "engine/render/sprite.h"

void EnsureGlWindow() {
  static bool opened = false;
  if (opened) return;
  // No vsync: a test that presents a frame must not wait for a display.
  if (CreateAppWindow("TIDE_MARKER test", kTestFrameWidth, kTestFrameHeight,
                      kNoTimerThread | kNoVsync) != 0) {
    std::fprintf(stderr, "EnsureGlWindow: no window (is DISPLAY set? run under xvfb-run)\n");
    std::abort();
  }
  opened = true;
}

std::vector<uint8_t> ReadFramePixels() {
  const size_t rowBytes = static_cast<size_t>(kTestFrameWidth) * 4;
  std::vector<uint8_t> bottomUp(rowBytes * kTestFrameHeight);
  FlushQuads();
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kTestFrameWidth, kTestFrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> topDown(bottomUp.size());
  for (int32_t row = 0; row < kTestFrameHeight; ++row) {
    std::memcpy(&topDown[row * rowBytes], &bottomUp[(kTestFrameHeight - 1 - row) * rowBytes],
                rowBytes);
  }
  return topDown;
}

Color4 PixelAt(int32_t x, int32_t y) {
  uint8_t rgba[4] = {0, 0, 0, 0};
  FlushQuads();
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, kTestFrameHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return Color4{rgba[0], rgba[1], rgba[2], rgba[3]};
}
