// Start-up and shutdown of everything the game needs from the platform: the
// window, the GL context with its fixed state, the OpenAL device, the engine's
// loop and input state, the timer thread and the engine's drawing modules.
#include <cstdio>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"
#include "engine/app/platform.h"
#include "engine/audio/audio_device.h"
#include "engine/audio/sound.h"
#include "engine/render/debug_text.h"
#include "engine/render/gl_api.h"
#include "engine/render/sprite.h"

namespace {

struct EngineDevices {
  int32_t flags;
  bool modulesStarted;
};

EngineDevices devices;

void StartEngineModules() {
  devices.modulesStarted = true;
  RendererInit();
  LineProgramInit();
  ModelProgramInit();
  TrueTypeInit();
  DebugTextInit();
}

void StopEngineModules() {
  devices.modulesStarted = false;
  RendererRelease();
  LineProgramRelease();
  ModelProgramRelease();
  TrueTypeRelease();
  DebugTextRelease();
}

}  // namespace

int32_t CreateAppWindow(const char* caption, int32_t width, int32_t height, int32_t flags) {
  devices.flags = flags & 0xFFFF;
  int32_t clientWidth = 0, clientHeight = 0;
  int32_t opened = PlatformOpenWindow(caption, width, height, devices.flags, &clientWidth,
                                      &clientHeight);
  if (opened == kPlatformModeRefused) {
    std::printf("重大なフルスクリーンエラー：デバイスが指定された解像度に対応していません。\n");
    std::fflush(stdout);
    return 1;
  }
  if (opened != kPlatformOk) {
    std::fprintf(stderr, "window: %s\n", PlatformLastError());
    return 1;
  }

  // Without a GL context (or its entry points) no picture can be drawn, and
  // the first call into GL would crash: the start-up ends here instead.
  if (SetupGlContext(clientWidth, clientHeight, (devices.flags & kNoVsync) != 0) != 0) {
    PlatformCloseWindow();
    return 1;
  }
  // Without an audio device the game runs silent.
  OpenAudioDevice();

  // Reset before the timer thread starts, so it never sees a rate of 0.
  ResetLoopState();
  InputReset(clientWidth, clientHeight);

  // Without threads (a browser page) the main loop's passes run the ticks.
  if (!(devices.flags & kNoTimerThread)) {
    if ((PlatformHasThreads() ? StartTimerThread() : StartFrameTicks(GetTimeMs())) != 0) return 1;
  }

  if (!(devices.flags & kNoEngineModules)) StartEngineModules();
  return 0;
}

int32_t SetupGlContext(int32_t width, int32_t height, bool noVsync) {
  if (PlatformCreateGlContext(noVsync) != 0) {
    std::fprintf(stderr, "GL context: %s\n", PlatformLastError());
    return 1;
  }

  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glFrontFace(GL_CCW);
  glViewport(0, 0, width, height);
  SetDesktopGlDefaults();
  return LoadGlEntryPoints();
}

int32_t ShutdownEngine() {
  // The main loop has joined the timer thread already; a start-up that failed
  // half-way, or a test, may still have one.
  StopTimerThread();
  if (devices.modulesStarted) StopEngineModules();
  PlatformCloseWindow();
  CloseAudioDevice();
  return 0;
}


bool IsWindowFullscreen() { return PlatformIsFullscreen(); }

void SetWindowFullscreen(bool on) { PlatformSetFullscreen(on); }
