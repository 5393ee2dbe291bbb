// The real window under an X display: client size, the fixed GL state, the
// entry points GLEW resolved, full-screen sizes and a refused display mode.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "engine/render/sprite.h"
#include "engine/render/texture.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // An audio device that discards its output, so one exists on any machine.
    setenv("ALSOFT_DRIVERS", "null", 0);
  }
  void TearDown() override { ShutdownEngine(); }
};

TEST_F(WindowTest, WindowedClientAreaAndFixedGlState) {
  ASSERT_EQ(CreateAppWindow("TIDE_MARKER", 1024, 576, kNoTimerThread | kNoEngineModules), 0);
  EXPECT_EQ(GetClientWidth(), 1024);
  EXPECT_EQ(GetClientHeight(), 576);

  struct Capability {
    GLenum cap;
    GLboolean want;
    const char* name;
  };
  const Capability caps[] = {
      {GL_DEPTH_TEST, GL_TRUE, "depth test"}, {GL_BLEND, GL_TRUE, "blend"},
      {GL_CULL_FACE, GL_TRUE, "cull face"},   {GL_TEXTURE_2D, GL_TRUE, "texture 2D"},
      {GL_SCISSOR_TEST, GL_FALSE, "scissor"},
  };
  for (const Capability& c : caps) EXPECT_EQ(glIsEnabled(c.cap), c.want) << c.name;

  struct Value {
    GLenum what;
    GLint want;
    const char* name;
  };
  const Value values[] = {
      {GL_DEPTH_FUNC, GL_LEQUAL, "depth func"}, {GL_CULL_FACE_MODE, GL_FRONT, "cull mode"},
      {GL_FRONT_FACE, GL_CCW, "front face"},    {GL_BLEND_SRC, GL_SRC_ALPHA, "blend src"},
      {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA, "blend dst"},
      {GL_DEPTH_BITS, 16, "depth bits"},        {GL_ALPHA_BITS, 0, "alpha bits"},
      {GL_RED_BITS, 8, "red bits"},
  };
  for (const Value& v : values) {
    GLint got = -1;
    glGetIntegerv(v.what, &got);
    if (v.what == GL_DEPTH_BITS) {
      EXPECT_GE(got, v.want) << v.name;
    } else {
      EXPECT_EQ(got, v.want) << v.name;
    }
  }
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 576);

  // GLEW resolved the 2.0 entry points the renderer needs.
  ASSERT_NE(glCreateProgram, nullptr);
  GLuint program = glCreateProgram();
  EXPECT_NE(program, 0u);
  glDeleteProgram(program);

  EXPECT_TRUE(IsAudioOpen());
  EXPECT_GT(std::string(GetAudioDeviceName()).size(), 0u);
  EXPECT_EQ(GetTickRate(), 5);
  EXPECT_EQ(GetQuitState(), 0);
}

TEST_F(WindowTest, PresentsArePacedWhereTheSwapIntervalIsRefused) {
  // The virtual X server refuses a swap interval: the presents pace
  // themselves to the display's refresh (240 Hz at the very most here), on
  // the clock GetTimeMs reads.
  ASSERT_EQ(CreateAppWindow("TIDE_MARKER", 1024, 576, kNoTimerThread | kNoEngineModules), 0);
  PlatformPresent();
  const uint32_t start = GetTimeMs();
  for (int i = 0; i < 30; ++i) PlatformPresent();
  EXPECT_GE(GetTimeMs() - start, 30u * 1000u / 240u);
}

TEST_F(WindowTest, BorderlessFullScreenTakesTheDesktopSize) {
  ASSERT_EQ(CreateAppWindow("TIDE_MARKER", 640, 360, kFullscreen | kNoTimerThread | kNoEngineModules),
            0);
  // The requested size is dropped for the desktop's, which is larger here.
  EXPECT_GT(GetClientWidth(), 640);
  EXPECT_GT(GetClientHeight(), 360);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], GetClientWidth());
  EXPECT_EQ(viewport[3], GetClientHeight());

  // The middle of the desktop is the middle of the virtual screen.
  SetTouchArea(1024.0f, 576.0f);
  InputMouseMove(GetClientWidth() / 2.0f, GetClientHeight() / 2.0f);
  float x = 0.0f, y = 0.0f;
  GetTouch(0, &x, &y);
  EXPECT_FLOAT_EQ(x, 512.0f);
  EXPECT_FLOAT_EQ(y, 288.0f);
}

TEST_F(WindowTest, FullScreenLetterboxesThePictureAndLeavesForTheRequestedSize) {
  ASSERT_EQ(CreateAppWindow("TIDE_MARKER", 1024, 576, kFullscreen | kNoTimerThread), 0);
  ASSERT_TRUE(IsWindowFullscreen());
  const int32_t width = GetClientWidth(), height = GetClientHeight();
  SetScreenSize(1024.0f, 576.0f);
  SetTouchArea(1024.0f, 576.0f);
  PlatformPrepareFrame();

  // A white picture over the whole virtual screen; what is left is black.
  const PictureRect picture = FitPicture(width, height, 1024.0f, 576.0f);
  const uint8_t white[4] = {255, 255, 255, 255};
  Texture texture = 0;
  CreateTextureFromPixels(&texture, 1, 1, kPixelRgba, white);
  Sprite screen;
  SpriteInit(&screen);
  screen.pos = MakeVec2(512.0f, 288.0f);
  screen.size = MakeVec2(1024.0f, 576.0f);
  ClearScreen();
  DrawSprite(&screen, &texture);
  FlushQuads();
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  auto red = [&](int x, int yFromTop) {
    return pixels[(static_cast<size_t>(height - 1 - yFromTop) * width + x) * 4];
  };
  const int left = static_cast<int>(picture.x), top = static_cast<int>(picture.y);
  const int right = left + static_cast<int>(picture.width) - 1;
  const int bottom = top + static_cast<int>(picture.height) - 1;
  EXPECT_EQ(red(left, top), 255);
  EXPECT_EQ(red(right, bottom), 255);
  EXPECT_EQ(red(width / 2, height / 2), 255);
  // Bars above and below, or at the sides, whichever the desktop leaves.
  if (top > 0) {
    EXPECT_EQ(red(width / 2, top - 1), 0);
    EXPECT_EQ(red(width / 2, bottom + 1), 0);
  }
  if (left > 0) {
    EXPECT_EQ(red(left - 1, height / 2), 0);
    EXPECT_EQ(red(right + 1, height / 2), 0);
  }
  DeleteTexture(&texture);

  // Back to a window of the size asked for, drawn without bars.
  SetWindowFullscreen(false);
  for (int i = 0; i < 50; ++i) {
    PlatformPumpEvents();
    PlatformPrepareFrame();
    SleepMs(5);
  }
  EXPECT_FALSE(IsWindowFullscreen());
  EXPECT_EQ(GetClientWidth(), 1024);
  EXPECT_EQ(GetClientHeight(), 576);
  PlatformPrepareFrame();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 576);
}

TEST_F(WindowTest, RefusedDisplayModePrintsTheMessageAndFails) {
  testing::internal::CaptureStdout();
  int32_t result =
      CreateAppWindow("TIDE_MARKER", 1000, 601, kFullscreen | kChangeDisplayMode | kNoTimerThread);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(out, "重大なフルスクリーンエラー：デバイスが指定された解像度に対応していません。\n");
}

TEST_F(WindowTest, TimerThreadStartsIdleAndShutdownTwiceIsSafe) {
  ASSERT_EQ(CreateAppWindow("TIDE_MARKER", 1024, 576, kNoEngineModules), 0);
  EXPECT_EQ(GetTickRate(), 5);
  // The thread exists: a wait for a tick returns only once one has run.
  uint32_t start = GetTimeMs();
  WaitForTick();
  EXPECT_LE(GetTimeMs() - start, 400u);
  RequestQuit();
  while (GetQuitState() != 2) SleepMs(1);
  EXPECT_EQ(ShutdownEngine(), 0);
  EXPECT_FALSE(IsAudioOpen());
}

}  // namespace
