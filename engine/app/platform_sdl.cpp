// The platform layer on SDL2: the window, the GL context, the event pump that
// stands in for the window procedure, the clock, sleeps and threads, alike on
// every system (what differs lives in platform_<system>.cpp). This is the
// only file of the program that includes SDL.
#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "engine/render/gl_api.h"

namespace {

constexpr int32_t kFallbackRefreshHz = 60;
// The window can be made smaller down to half the virtual screen.
constexpr int kMinimumWidth = 512;
constexpr int kMinimumHeight = 288;
// Events taken from SDL's queue in one call.
constexpr int kEventBatch = 64;

struct PlatformState {
  SDL_Window* window;
  SDL_GLContext context;
  int32_t flags;
  int32_t clientWidth, clientHeight;
  // True when the swap interval asked for could not be set: the loop then
  // paces itself, because nothing else stops it from spinning a core.
  bool needsPacing;
  bool minimized;
  // The window's size when not in full screen, to return to from there.
  int windowedWidth, windowedHeight;
  // The letterbox viewport last set, in drawable pixels; width 0 when none.
  int viewportX, viewportY, viewportWidth, viewportHeight;
  // The present cadence, on PlatformTimeUs's clock in milliseconds.
  double framePeriodMs;
  double nextPresentMs;
  bool glLibraryPinned;
};

PlatformState platform;

// SDL key codes to the virtual-key codes IsKeyDown and the key handler use;
// 0 for keys the program does not name.
int32_t VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
  switch (key) {
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return kKeyReturn;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_MINUS: return kKeyMinus;
    case SDLK_EQUALS: case SDLK_PLUS: return kKeyPlus;
    case SDLK_KP_MINUS: return kKeyNumpadMinus;
    case SDLK_KP_PLUS: return kKeyNumpadPlus;
    default: return 0;
  }
}

// A controller button to the key the game reads; 0 for buttons it does not.
int32_t VirtualKeyFromPadButton(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return kKeyPadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return kKeyPadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return kKeyPadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kKeyPadRight;
    case SDL_CONTROLLER_BUTTON_A: return kKeyPadSouth;
    case SDL_CONTROLLER_BUTTON_B: return kKeyPadEast;
    case SDL_CONTROLLER_BUTTON_X: return kKeyPadWest;
    case SDL_CONTROLLER_BUTTON_START: return kKeyPadStart;
    default: return 0;
  }
}

int32_t DisplayRefreshHz() {
  int display = platform.window ? SDL_GetWindowDisplayIndex(platform.window) : 0;
  if (display < 0) display = 0;
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
    return mode.refresh_rate;
  }
  return kFallbackRefreshHz;
}

// The system's preferred driver first (X11 on Linux, see there), then SDL's
// own choice.
bool InitVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  const char* preferred = PlatformPreferredVideoDriver();
  if (preferred != nullptr && !std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, preferred);
  // A finger on a touch screen reaches the program as the left mouse button
  // (the first finger; SDL makes no mouse events of the others), on the
  // desktop and in a browser alike: the game plays touch slot 0 only, so no
  // finger events are read.
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "1");
  // The engine never leaves the loop on a signal by itself: SIGINT and SIGTERM
  // still arrive as SDL_QUIT, which is handled like the close button.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// Controllers are optional: without the subsystem the game is played with
// the mouse and the keys, and says so once.
void InitPads() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "game controllers: %s\n", SDL_GetError());
  }
}

// Full screen with a display-mode change: only an exact mode is accepted.
bool DisplayHasMode(int32_t width, int32_t height) {
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == width && mode.h == height) {
      return true;
    }
  }
  return false;
}

// The pacing restarts after the window changed size, mode or display.
void RestartPacing() {
  platform.framePeriodMs = 1000.0 / DisplayRefreshHz();
  platform.nextPresentMs = 0.0;
}

void UpdateClientSize() {
  int w = 0, h = 0;
  SDL_GetWindowSize(platform.window, &w, &h);
  if (w <= 0 || h <= 0 || (w == platform.clientWidth && h == platform.clientHeight)) return;
  platform.clientWidth = w;
  platform.clientHeight = h;
  InputResize(w, h);
  if (!(SDL_GetWindowFlags(platform.window) & SDL_WINDOW_FULLSCREEN)) {
    platform.windowedWidth = w;
    platform.windowedHeight = h;
  }
}

void ToggleFullscreen() { PlatformSetFullscreen(!PlatformIsFullscreen()); }

void HandleWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      RequestQuit();
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      UpdateClientSize();
      RestartPacing();
      break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
      RestartPacing();
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      InputFocusLost();
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      InputFocusGained();
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      platform.minimized = true;
      InputFocusLost();
      break;
    case SDL_WINDOWEVENT_HIDDEN:
      // Another virtual desktop, or in a browser another tab: the player
      // has left as much as by minimising.
      platform.minimized = true;
      InputFocusLost();
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
      // Seen again: the player is back, also where the system sends no
      // focus event with the restore.
      if (platform.minimized) {
        RestartPacing();
        InputFocusGained();
      }
      platform.minimized = false;
      break;
    default:
      break;
  }
}

void PostButton(float x, float y, bool down) {
  InputEvent event{InputEventType::kMouseButton, 0, down ? 1 : 0, x, y};
  InputPostEvent(event);
}

void PostMove(float x, float y) {
  InputEvent event{InputEventType::kMouseMove, 0, 0, x, y};
  InputPostEvent(event);
}

void HandleMouseButton(const SDL_MouseButtonEvent& e, bool pressed) {
  if (e.button != SDL_BUTTON_LEFT) return;
  // Holding the capture while the button is down makes its release arrive
  // even outside the window, so slot 0 is never left stuck down.
  SDL_CaptureMouse(pressed ? SDL_TRUE : SDL_FALSE);
  PostButton(static_cast<float>(e.x), static_cast<float>(e.y), pressed);
}

// Keys the platform answers itself: F11 and Alt+Enter switch between the
// window and full screen, F12 quits at once, whatever waits before it in the
// input hand-over (it still reaches the input state as a key).
// Returns true when the key is the platform's and not passed on.
bool HandleWindowKey(const SDL_KeyboardEvent& e) {
  const SDL_Keycode key = e.keysym.sym;
  const bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
  if (key == SDLK_F11 || (enter && (e.keysym.mod & KMOD_ALT))) {
    if (e.type == SDL_KEYDOWN && !e.repeat) ToggleFullscreen();
    return true;
  }
  if (key == SDLK_F12 && e.type == SDL_KEYDOWN) RequestQuit();
  return false;
}

void HandleKey(const SDL_KeyboardEvent& e) {
  if (HandleWindowKey(e) || e.repeat) return;
  int32_t key = VirtualKeyFromSdl(e.keysym.sym);
  if (key == 0) return;
  InputEvent event{InputEventType::kKey, key, e.type == SDL_KEYDOWN ? 1 : 0, 0.0f, 0.0f};
  InputPostEvent(event);
}

// SDL reports a pad plugged in by its device index (also for each pad present
// when the subsystem starts); it is opened once and known by its instance id.
void OpenPad(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || SDL_GameControllerFromInstanceID(id) != nullptr) return;
  if (SDL_GameControllerOpen(deviceIndex) == nullptr) {
    std::fprintf(stderr, "game controller %d: %s\n", deviceIndex, SDL_GetError());
  }
}

void ClosePad(SDL_JoystickID id) {
  SDL_GameController* pad = SDL_GameControllerFromInstanceID(id);
  if (pad != nullptr) SDL_GameControllerClose(pad);
  InputPadRemoved(id);
}

void HandlePadButton(const SDL_ControllerButtonEvent& e) {
  const int32_t key = VirtualKeyFromPadButton(e.button);
  if (key != 0) InputPadButton(e.which, key, e.state == SDL_PRESSED);
}

void HandlePadAxis(const SDL_ControllerAxisEvent& e) {
  if (e.axis != SDL_CONTROLLER_AXIS_LEFTX && e.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
  SDL_GameController* pad = SDL_GameControllerFromInstanceID(e.which);
  if (pad == nullptr) return;
  constexpr float kAxisRange = 32767.0f;
  const float x = static_cast<float>(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX)) / kAxisRange;
  const float y = static_cast<float>(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY)) / kAxisRange;
  InputPadStick(e.which, x, y);
}

void HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      RequestQuit();
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(e.window);
      break;
    case SDL_MOUSEMOTION:
      PostMove(static_cast<float>(e.motion.x), static_cast<float>(e.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
      HandleMouseButton(e.button, true);
      break;
    case SDL_MOUSEBUTTONUP:
      HandleMouseButton(e.button, false);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      HandleKey(e.key);
      break;
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(e.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      ClosePad(e.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      HandlePadButton(e.cbutton);
      break;
    case SDL_CONTROLLERAXISMOTION:
      HandlePadAxis(e.caxis);
      break;
    default:
      break;
  }
}

int ThreadTrampoline(void* data) {
  PlatformThreadMain fn = nullptr;
  SDL_memcpy(&fn, &data, sizeof fn);
  fn();
  return 0;
}

}  // namespace

int32_t PlatformOpenWindow(const char* caption, int32_t width, int32_t height,
                           int32_t flags, int32_t* clientWidth, int32_t* clientHeight) {
  if (platform.window || !InitVideo()) return kPlatformWindowFailed;
  InitPads();
  if (PlatformHasPageFullscreen()) flags &= ~kFullscreen;
  platform.flags = flags;
  platform.minimized = false;

  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (kGlEs) {
    // WebGL 1.0 in a browser.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  }

  Uint32 style = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
  int windowedWidth = width, windowedHeight = height;
  int x = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(0));
  int y = x;
  bool changeMode = false;
  if ((flags & kFullscreen) && (flags & kChangeDisplayMode)) {
    x = 0;
    y = 0;
    // Opened hidden: the mode is checked before anything is shown.
    style |= SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    changeMode = true;
  } else if (flags & kFullscreen) {
    // Borderless at the desktop's size, made at that size so that it covers
    // the screen also where no window manager acts on the full-screen
    // request. The requested size is kept for leaving full screen.
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
      windowedWidth = width;
      windowedHeight = height;
      width = desktop.w;
      height = desktop.h;
    }
    style |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
  } else {
    style |= SDL_WINDOW_SHOWN;
    style |= (flags & kPopupWindow) ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
  }

  platform.window = SDL_CreateWindow(caption ? caption : "", x, y, width, height, style);
  if (!platform.window) return kPlatformWindowFailed;
  SDL_SetWindowMinimumSize(platform.window, kMinimumWidth, kMinimumHeight);
  PlatformWatchSessionEnd(platform.window);

  if (changeMode) {
    SDL_DisplayMode mode{};
    mode.w = width;
    mode.h = height;
    if (!DisplayHasMode(width, height) || SDL_SetWindowDisplayMode(platform.window, &mode) != 0 ||
        SDL_SetWindowFullscreen(platform.window, SDL_WINDOW_FULLSCREEN) != 0) {
      return kPlatformModeRefused;
    }
    SDL_ShowWindow(platform.window);
  }

  platform.windowedWidth = windowedWidth;
  platform.windowedHeight = windowedHeight;
  int w = width, h = height;
  SDL_GetWindowSize(platform.window, &w, &h);
  platform.clientWidth = w;
  platform.clientHeight = h;
  *clientWidth = w;
  *clientHeight = h;
  return kPlatformOk;
}

int32_t PlatformCreateGlContext(bool noVsync) {
  if (!platform.window) return 1;
  // One extra load keeps the GL library (and with it the driver) loaded for
  // the life of the process, as the video subsystem is kept too: a window
  // opened later reuses them, and some drivers and sanitizer runtimes do not
  // take being unloaded well, also after a context that could not be made.
  if (!platform.glLibraryPinned && SDL_GL_LoadLibrary(nullptr) == 0) platform.glLibraryPinned = true;
  platform.context = SDL_GL_CreateContext(platform.window);
  if (!platform.context) return 1;
  SDL_GL_MakeCurrent(platform.window, platform.context);
  // Pacing stands in for a swap interval of 1 that the driver refused (a
  // virtual X server, some drivers); with no-vsync nothing is paced.
  platform.needsPacing = SDL_GL_SetSwapInterval(noVsync ? 0 : 1) != 0 && !noVsync;
  platform.viewportWidth = 0;
  RestartPacing();
  return 0;
}

void PlatformCloseWindow() {
  if (platform.context) {
    SDL_GL_MakeCurrent(platform.window, nullptr);
    SDL_GL_DeleteContext(platform.context);
    platform.context = nullptr;
  }
  if (platform.window) {
    SDL_CaptureMouse(SDL_FALSE);
    SDL_DestroyWindow(platform.window);
    platform.window = nullptr;
  }
}

bool PlatformHasWindow() { return platform.window != nullptr; }

void PlatformPumpEvents() {
  if (!platform.window) return;
  // One look at the system's queue, then everything it held: a flood of
  // motion that goes on arriving cannot keep the frame here.
  SDL_PumpEvents();
  SDL_Event events[kEventBatch];
  int taken = 0;
  do {
    taken = SDL_PeepEvents(events, kEventBatch, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (int i = 0; i < taken; ++i) HandleEvent(events[i]);
  } while (taken == kEventBatch);
  InputFlushEvents();
}

bool PlatformIsMinimized() { return platform.window && platform.minimized; }

bool PlatformIsFullscreen() {
  return platform.window &&
         ((SDL_GetWindowFlags(platform.window) & SDL_WINDOW_FULLSCREEN) != 0 || PlatformPageFullscreen());
}

void PlatformSetFullscreen(bool on) {
  if (!platform.window || on == PlatformIsFullscreen() || PlatformSetPageFullscreen(on)) return;
  if (SDL_SetWindowFullscreen(platform.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
  // Without a window manager to restore it, the window would keep the
  // desktop's size.
  if (!on) SDL_SetWindowSize(platform.window, platform.windowedWidth, platform.windowedHeight);
  UpdateClientSize();
  RestartPacing();
}

void PlatformPrepareFrame() {
  if (!platform.window || !platform.context) return;
  // The size events of a mode switch do not always follow it; the input's
  // mapping must match the picture drawn now.
  UpdateClientSize();
  // The drawable's size in pixels: on a high-DPI display it is larger than
  // the window's size in points, which input positions use.
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(platform.window, &drawableWidth, &drawableHeight);
  PictureRect picture = FitPicture(static_cast<float>(drawableWidth), static_cast<float>(drawableHeight),
                                   GetVirtualWidth(), GetVirtualHeight());
  const int x = static_cast<int>(picture.x);
  const int width = static_cast<int>(picture.width);
  const int height = static_cast<int>(picture.height);
  // GL counts rows from the bottom.
  const int y = drawableHeight - static_cast<int>(picture.y) - height;
  if (x == platform.viewportX && y == platform.viewportY && width == platform.viewportWidth &&
      height == platform.viewportHeight) {
    return;
  }
  glViewport(x, y, width, height);
  platform.viewportX = x;
  platform.viewportY = y;
  platform.viewportWidth = width;
  platform.viewportHeight = height;
}

void PlatformPresent() {
  if (!platform.window) return;
  if (platform.context) {
    glFlush();
    SDL_GL_SwapWindow(platform.window);
  }
  // A minimised window is never presented (the main loop rests instead).
  if (!platform.needsPacing) return;
  // Sleeps to the next refresh of the display, keeping a steady cadence;
  // after a long stall the cadence restarts from now instead of racing. The
  // clock is the one the loops measure their rates with.
  double now = static_cast<double>(PlatformTimeUs()) / 1000.0;
  if (platform.nextPresentMs < now - platform.framePeriodMs) platform.nextPresentMs = now;
  platform.nextPresentMs += platform.framePeriodMs;
  double wait = platform.nextPresentMs - now;
  if (wait >= 1.0) SDL_Delay(static_cast<Uint32>(wait));
}

uint64_t PlatformTimeUs() {
  // One monotonic base for the whole process, so milliseconds and
  // microseconds read the same clock.
  static const uint64_t base = SDL_GetPerformanceCounter();
  static const uint64_t frequency = SDL_GetPerformanceFrequency();
  uint64_t ticks = SDL_GetPerformanceCounter() - base;
  return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

uint32_t PlatformTimeMs() { return static_cast<uint32_t>(PlatformTimeUs() / 1000u); }

void PlatformSleepMs(uint32_t ms) { SDL_Delay(ms); }

void PlatformSleepUs(uint32_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

void* PlatformStartThread(const char* name, PlatformThreadMain fn) {
  void* data = nullptr;
  SDL_memcpy(&data, &fn, sizeof fn);
  return SDL_CreateThread(ThreadTrampoline, name, data);
}

void PlatformJoinThread(void* handle) {
  if (handle) SDL_WaitThread(static_cast<SDL_Thread*>(handle), nullptr);
}

int32_t PlatformExecutableFolder(char* buffer, size_t size) {
  // SDL reads the link /proc/self/exe: symbolic links to the program are
  // followed to where it really is. No SDL subsystem needs to be running.
  char* folder = SDL_GetBasePath();
  if (folder == nullptr) return 1;
  size_t length = SDL_strlen(folder);
  int32_t result = length < size ? 0 : 1;
  if (result == 0) SDL_memcpy(buffer, folder, length + 1);
  SDL_free(folder);
  return result;
}

int32_t PlatformSetWindowIcon(const uint8_t* pixels, int32_t width, int32_t height, bool hasAlpha) {
  if (!platform.window || pixels == nullptr) return 1;
  int bytesPerPixel = hasAlpha ? 4 : 3;
  // SDL only reads the pixels (they are copied into the window's icon).
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint8_t*>(pixels), width, height, bytesPerPixel * 8, width * bytesPerPixel,
      hasAlpha ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24);
  if (!surface) {
    std::fprintf(stderr, "window icon: %s\n", SDL_GetError());
    return 1;
  }
  SDL_SetWindowIcon(platform.window, surface);
  SDL_FreeSurface(surface);
  return 0;
}

const char* PlatformLastError() {
  const char* error = SDL_GetError();
  return error != nullptr && error[0] != '\0' ? error : "no reason given";
}
