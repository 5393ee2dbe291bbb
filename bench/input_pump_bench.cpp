// How much pointer motion the event pump takes without slowing the frame.
// Real motion events are sent to the window through the X server (XTest)
// before each timed frame, so the timing covers what the program itself does
// with them: SDL reading them from the X connection, the pump merging them
// into the latest position, and a frame of 250 sprites. Run under xvfb-run.
//   BM_PumpMotion: events a second the pump takes, from the first look at
//   the queue until the last event has reached the input state.
//   BM_FrameWithMotion: the frame time while motion arrives steadily at 0
//   (the baseline), 1000, 20,000 and 50,000 events a second.
#include <GL/glew.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "engine/render/sprite.h"
#include "engine/render/texture.h"

namespace {

constexpr int kSprites = 250;

struct Bench {
  bool ready = false;
  Display* display = nullptr;
  int rootX = 0, rootY = 0;
  Texture texture = 0;
  std::vector<Sprite> sprites;
};

Bench bench;

// The window's position on the screen, for XTest's root coordinates.
bool FindWindowOnScreen() {
  Window root = DefaultRootWindow(bench.display);
  Window parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(bench.display, root, &root, &parent, &children, &count)) return false;
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(bench.display, children[i], &name) && name) {
      found = std::string(name) == "TIDE_MARKER bench";
      XFree(name);
    }
    if (found) {
      Window child = 0;
      XTranslateCoordinates(bench.display, children[i], root, 0, 0, &bench.rootX, &bench.rootY, &child);
    }
  }
  if (children) XFree(children);
  return found;
}

bool SetUp() {
  if (bench.ready) return true;
  if (CreateAppWindow("TIDE_MARKER bench", 1024, 576, kNoTimerThread | kNoVsync) != 0) return false;
  SetClearColor(0, 0, 0, 1);
  SetScreenSize(1024, 576);
  SetTouchArea(1024, 576);
  bench.display = XOpenDisplay(nullptr);
  if (!bench.display) return false;
  for (int tries = 0; tries < 100 && !FindWindowOnScreen(); ++tries) {
    PlatformPumpEvents();
    SleepMs(10);
  }
  std::vector<uint8_t> pixels(64 * 64 * 4, 200);
  CreateTextureFromPixels(&bench.texture, 64, 64, kPixelRgba, pixels.data());
  bench.sprites.resize(kSprites);
  for (int i = 0; i < kSprites; ++i) {
    Sprite& s = bench.sprites[i];
    SpriteInit(&s);
    s.pos = MakeVec2(float(45 + (i * 37) % 934), float(45 + (i * 53) % 486));
    s.size = MakeVec2(90, 90);
    s.color = MakeColor(1, 1, 1, 0.8f);
    s.angle = float(i * 7 % 360);
  }
  bench.ready = true;
  return true;
}

// Sends count motion events inside the window and waits until the X server
// has handled them all (they then wait in the program's connection).
void SendMotion(int count, int* lastX, int* lastY) {
  for (int i = 0; i < count; ++i) {
    *lastX = 20 + (i * 7) % 980;
    *lastY = 20 + (i * 13 + i / 97) % 530;
    XTestFakeMotionEvent(bench.display, -1, bench.rootX + *lastX, bench.rootY + *lastY, CurrentTime);
  }
  XSync(bench.display, False);
}

bool SawPosition(int x, int y) {
  float rawX = 0, rawY = 0;
  GetTouchRaw(0, &rawX, &rawY);
  return static_cast<int>(rawX) == x && static_cast<int>(rawY) == y;
}

// The pump alone: from the first look at the queue until the last of count
// events has reached the raw input state.
void BM_PumpMotion(benchmark::State& state) {
  if (!SetUp()) {
    state.SkipWithError("no GL window or X display (run under xvfb-run)");
    return;
  }
  const int count = static_cast<int>(state.range(0));
  int lastX = 0, lastY = 0;
  for (auto _ : state) {
    SendMotion(count, &lastX, &lastY);
    const auto start = std::chrono::steady_clock::now();
    int pumps = 0;
    do {
      PlatformPumpEvents();
    } while (!SawPosition(lastX, lastY) && ++pumps < 100000);
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["events_per_s"] =
      benchmark::Counter(static_cast<double>(count) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PumpMotion)->Arg(333)->Arg(3000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Sends motion at a steady rate from its own X connection until told to stop,
// as a mouse reporting that often would.
void SendSteadily(int perSecond, std::atomic<bool>* stop, std::atomic<int64_t>* sent) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  const auto start = std::chrono::steady_clock::now();
  int64_t count = 0;
  while (!stop->load()) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int64_t due = static_cast<int64_t>(elapsed * perSecond);
    for (; count < due; ++count) {
      XTestFakeMotionEvent(display, -1, bench.rootX + 20 + static_cast<int>(count * 7 % 980),
                           bench.rootY + 20 + static_cast<int>(count * 13 % 530), CurrentTime);
    }
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  XSync(display, False);
  XCloseDisplay(display);
  sent->store(count);
}

// Frames one after another (pump, 250 sprites, present, glFinish) while
// motion arrives at the given rate; the rate 0 is the baseline.
void BM_FrameWithMotion(benchmark::State& state) {
  if (!SetUp()) {
    state.SkipWithError("no GL window or X display (run under xvfb-run)");
    return;
  }
  const int perSecond = static_cast<int>(state.range(0));
  std::atomic<bool> stop{false};
  std::atomic<int64_t> sent{0};
  std::thread sender;
  if (perSecond > 0) sender = std::thread(SendSteadily, perSecond, &stop, &sent);
  for (auto _ : state) {
    PlatformPumpEvents();
    PlatformPrepareFrame();
    ClearScreen();
    for (const Sprite& s : bench.sprites) DrawSprite(&s, &bench.texture);
    PlatformPresent();
    glFinish();
  }
  stop.store(true);
  if (sender.joinable()) sender.join();
  state.counters["events_per_s"] = perSecond;
  state.counters["events_sent"] = static_cast<double>(sent.load());
}
BENCHMARK(BM_FrameWithMotion)->Arg(0)->Arg(1000)->Arg(20000)->Arg(0)->Arg(20000)->Arg(50000)
    ->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
