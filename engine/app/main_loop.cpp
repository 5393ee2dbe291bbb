// The two loops: the main loop (events, frame callback, present) and the ticks
// (tick callback at tickRate per second), with the game lock held around every
// game callback, the wait handshakes and the rate measurement. The ticks run
// on a timer thread of their own, or, where the system has no threads (a
// browser page), at the start of each main-loop pass: the due ticks on the
// same deadlines, a few at most to catch up. Both ways run the same steps.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"
#include "engine/app/platform.h"
#include "engine/app/player_file_writer.h"
#include "engine/audio/audio_device.h"
#include "engine/audio/sound.h"
#include "engine/render/sprite.h"

namespace {

constexpr int32_t kIdleTickRate = 5;
// How often a minimised window looks for the events that bring it back.
constexpr uint32_t kMinimizedPollMs = 50;
// Minimised for this many ticks, the tick runner rests: by then the round has
// seen the window go and paused, and nobody sees what further ticks would
// animate. It wakes every kHiddenRestMs for the window's return, a quit or a
// caller waiting for a tick.
constexpr uint32_t kHiddenTicksBeforeRest = 60;
constexpr uint32_t kHiddenRestMs = 50;
// The rest between two passes of the main loop on the desktop.
constexpr uint32_t kPassRestMs = 1;
// Ticks fed from frames make up missed deadlines while a frame comes less
// than this many periods late (128 ms: frames down to about 8 a second keep
// the game's pace); a frame later than that (a stall, a page coming back)
// starts the cadence afresh.
constexpr uint32_t kFrameCatchUpTicks = 8;
constexpr int kRingSize = 32;
// Interval histogram buckets of 1 ms; the last one takes everything longer.
constexpr int kHistogramSize = 256;
// Intervals between consecutive frames or ticks; touched by one thread only.
struct RateRing {
  int32_t intervals[kRingSize];
  uint32_t index;
  uint32_t lastTime;
  // Every interval since start-up, for the TIDE_STATS report at exit.
  uint32_t histogram[kHistogramSize];
  uint64_t count;
  uint64_t totalMs;
};

// The state of the two loops, in one place. Who may touch each part:
//   main thread   - the thread that calls RunMainLoop (or opens the window);
//   tick runner   - the timer thread, or the main thread where the loop's
//                   passes feed the ticks;
//   any thread    - atomics, read and written from both.
struct LoopState {
  // Main thread: set before the loop starts, called by the loop.
  AppCallback startCallback;
  AppCallback endCallback;
  AppCallback frameCallback;

  // Any thread: the game sets them (a scene switch), the tick runner reads.
  std::atomic<TickCallback> tickCallback{nullptr};
  std::atomic<int32_t> tickRate{kIdleTickRate};
  // Any thread: 0 running, 1 quit asked (RequestQuit), 2 the ticks have
  // stopped (set by the tick runner, or by the main thread at the end).
  std::atomic<int32_t> quitState{0};
  // Any thread: stands in for the quit message; the main loop leaves after
  // the frame in which it was seen.
  std::atomic<bool> quitPosted{false};
  // Any thread: a waiter sets its flag; the tick runner (tick) or the main
  // loop (frame) clears it once the awaited step is done.
  std::atomic<int32_t> tickWaitFlag{0};
  std::atomic<int32_t> frameWaitFlag{0};
  // Written by the loop they measure, read by any thread.
  std::atomic<float> measuredFrameRate{0.0f};
  std::atomic<float> measuredTickRate{0.0f};
  // Set by the main thread at start-up, read by any thread.
  std::atomic<std::thread::id> mainThreadId{};

  // The frame ring is the main thread's, the tick ring the tick runner's;
  // once both loops have stopped the main thread reads both for the report.
  RateRing frameRing;
  RateRing tickRing;
  // Main thread starts and joins the timer thread; any thread asks whether
  // there is one.
  std::atomic<void*> timerThread{nullptr};
  // Any thread reads: true while the main loop's passes run the ticks (no
  // timer thread). The main thread sets and clears it.
  std::atomic<bool> ticksFromFrames{false};
  // Tick runner only: when the next tick is due.
  uint32_t tickDeadline;
  // Main thread writes, the tick runner reads: the window is minimised.
  std::atomic<bool> windowHidden{false};
  // Any thread asks (RequestFullscreenToggle), the main loop's pass answers.
  std::atomic<bool> fullscreenToggleAsked{false};

  // Any thread: the game lock, held around one tick or one frame callback
  // at a time.
  std::mutex gameLock;
};

LoopState loops;

// Which game callback this thread is inside. Inside a frame this thread holds
// the game lock, which WaitForTick lets go of while it waits; inside a tick a
// wait for another tick or a frame could never end and returns at once.
thread_local bool inTick = false;
thread_local bool inFrame = false;

void MeasureInterval(RateRing* ring, std::atomic<float>* rate) {
  uint32_t now = GetTimeMs();
  ring->intervals[ring->index] = static_cast<int32_t>(now - ring->lastTime);
  uint32_t bucket = now - ring->lastTime;
  ring->histogram[bucket < kHistogramSize ? bucket : kHistogramSize - 1] += 1;
  ring->count += 1;
  ring->totalMs += now - ring->lastTime;
  ring->lastTime = now;
  ring->index = (ring->index + 1) % kRingSize;
  if (ring->index != 0) return;
  int64_t sum = 0;
  for (int32_t interval : ring->intervals) sum += interval;
  if (sum > 0) rate->store(1000.0f / (static_cast<float>(sum) * (1.0f / kRingSize)));
}

// Whole milliseconds per tick; a rate of 0 or less would divide by zero and a
// rate above 1000 would give a period of 0 that never sleeps, so both are held
// to the nearest rate that has a period.
uint32_t TickPeriodMs() {
  int32_t rate = loops.tickRate.load();
  if (rate < 1) rate = 1;
  uint32_t period = 1000u / static_cast<uint32_t>(rate);
  return period < 1 ? 1 : period;
}

// Runs the tick callback under the game lock. The callback is read again once
// the lock is held: a scene switch empties it and then waits for this tick,
// which must then not run the game.
void RunOneTick() {
  if (!loops.tickCallback.load()) return;
  std::lock_guard<std::mutex> hold(loops.gameLock);
  TickCallback callback = loops.tickCallback.load();
  if (callback) {
    inTick = true;
    callback();
    inTick = false;
  }
}

// Sleeps toward the millisecond at which the deadline falls: one sleep to
// about a millisecond before it while it is far, then one short sleep that
// ends just inside that millisecond. Waking inside the deadline's own
// millisecond keeps the period at exactly the tick period, where 1 ms polls
// would add half a millisecond to every tick on average; two wake-ups a tick
// rather than one a millisecond keep an idle game (minimised, paused) cheap.
void WaitTowardDeadline(uint32_t deadline) {
  uint64_t nowUs = PlatformTimeUs();
  uint64_t nowMs = nowUs / 1000u;
  // Whole milliseconds still to go; the signed difference survives the wrap
  // of the 32-bit millisecond clock.
  int32_t aheadMs = static_cast<int32_t>(deadline - static_cast<uint32_t>(nowMs));
  if (aheadMs <= 0) return;
  uint64_t leftUs = (nowMs + static_cast<uint64_t>(aheadMs)) * 1000u - nowUs;
  if (leftUs > 1500u) {
    PlatformSleepUs(static_cast<uint32_t>(leftUs) - 1000u);
  } else {
    PlatformSleepUs(static_cast<uint32_t>(leftUs) + 50u);
  }
}

// One tick at now: the next deadline, the tick callback, the wait flag and
// the measurement. The deadline is worked out before the callback runs, so a
// frame holding the lock does not slow the tick rate.
void TickStep(uint32_t now, uint32_t catchUpTicks) {
  loops.tickDeadline = NextTickDeadline(loops.tickDeadline, now, TickPeriodMs(), catchUpTicks);
  RunOneTick();
  loops.tickWaitFlag.store(0);
  MeasureInterval(&loops.tickRing, &loops.measuredTickRate);
}

void TimerThreadMain() {
  // On two cores the software GL's rasterisers and the frame keep both busy;
  // without this a tick woke up to 4 ms late now and then.
  PlatformPreferPromptWakeups();
  loops.tickDeadline = GetTimeMs() + TickPeriodMs();
  uint32_t hiddenTicks = 0;
  while (loops.quitState.load() == 0) {
    if (!loops.windowHidden.load()) {
      hiddenTicks = 0;
    } else if (hiddenTicks >= kHiddenTicksBeforeRest && loops.tickWaitFlag.load() == 0) {
      SleepMs(kHiddenRestMs);
      // Back from the rest, the cadence starts anew rather than catching up.
      loops.tickDeadline = GetTimeMs();
      continue;
    }
    uint32_t now = GetTimeMs();
    // Signed difference: correct across the wrap of the 32-bit clock.
    if (static_cast<int32_t>(now - loops.tickDeadline) < 0) {
      WaitTowardDeadline(loops.tickDeadline);
      continue;
    }
    // The thread wakes within the deadline's millisecond: lost ticks are
    // not made up.
    TickStep(now, 0);
    if (loops.windowHidden.load()) ++hiddenTicks;
  }
  loops.quitState.store(2);
}

// The interval (ms) below which the given share of all intervals lies.
int32_t Percentile(const RateRing& ring, double share) {
  uint64_t seen = 0;
  for (int ms = 0; ms < kHistogramSize; ++ms) {
    seen += ring.histogram[ms];
    if (static_cast<double>(seen) >= share * static_cast<double>(ring.count)) return ms;
  }
  return kHistogramSize - 1;
}

// With TIDE_STATS set, a line per loop on standard error at exit: the last
// measured rate, the average rate over the run and the interval percentiles
// (the last bucket, 255, stands for 255 ms or more).
// The steady rate leaves out intervals of 100 ms or more: the start-up and
// the pauses of scene switches, which the game makes on purpose.
void ReportRates(const char* name, const RateRing& ring, float lastRate) {
  double average = ring.totalMs > 0 ? 1000.0 * static_cast<double>(ring.count) / ring.totalMs : 0.0;
  uint64_t steadyCount = 0, steadyMs = 0;
  for (int ms = 0; ms < 100; ++ms) {
    steadyCount += ring.histogram[ms];
    steadyMs += static_cast<uint64_t>(ms) * ring.histogram[ms];
  }
  double steady = steadyMs > 0 ? 1000.0 * static_cast<double>(steadyCount) / steadyMs : 0.0;
  std::fprintf(stderr,
               "TIDE_STATS %s count=%llu last_fps=%.2f avg_fps=%.2f steady_fps=%.2f interval_ms p1=%d p50=%d "
               "p90=%d p99=%d p99.9=%d max=%d\n",
               name, static_cast<unsigned long long>(ring.count), lastRate, average, steady,
               Percentile(ring, 0.01), Percentile(ring, 0.5), Percentile(ring, 0.9), Percentile(ring, 0.99),
               Percentile(ring, 0.999), Percentile(ring, 1.0));
}

int32_t CallLocked(AppCallback callback) {
  if (!callback) return 0;
  std::lock_guard<std::mutex> hold(loops.gameLock);
  inFrame = true;
  int32_t result = callback();
  inFrame = false;
  return result;
}

// One pass of the main loop: the ticks due (when passes feed them), the
// music and the audio device's watch, a waiting settings save (where no
// writer thread takes them; outside the game lock, so a slow disk holds up no
// tick), the events, then the frame and the present unless nobody can see
// the window.
uint32_t MainLoopPass() {
  RunDueTicks(GetTimeMs());
  RefillMusicFromFrame();
  // A lost audio device is replaced between ticks: a thread of its own opens
  // the new one (that can take a while), the move onto it holds the game.
  if (WatchAudioDevice(GetTimeMs())) {
    std::lock_guard<std::mutex> hold(loops.gameLock);
    SwapInAudioDevice();
  }
  PlayerFileWriterPass();
  PlatformPumpEvents();
  // The window belongs to this thread: a switch asked for by a tick is made here.
  if (loops.fullscreenToggleAsked.exchange(false)) SetWindowFullscreen(!IsWindowFullscreen());
  const bool hidden = PlatformIsMinimized();
  loops.windowHidden.store(hidden);
  if (hidden) {
    // Nothing is drawn while nobody can see it.
    loops.frameWaitFlag.store(0);
    return kMinimizedPollMs;
  }
  PlatformPrepareFrame();
  CallLocked(loops.frameCallback);
  FlushQuads();
  loops.frameWaitFlag.store(0);
  MeasureInterval(&loops.frameRing, &loops.measuredFrameRate);
  PlatformPresent();
  return kPassRestMs;
}

bool MainLoopDone() { return loops.quitPosted.load(); }

int32_t FinishMainLoop() {
  if (loops.timerThread.load()) {
    while (loops.quitState.load() != 2) SleepMs(10);
    PlatformJoinThread(loops.timerThread.exchange(nullptr));
  }
  // Ticks fed by the passes stop with them.
  if (loops.ticksFromFrames.exchange(false)) loops.quitState.store(2);
  // Both loops have stopped: the rings are read by this thread alone now.
  if (std::getenv("TIDE_STATS")) {
    ReportRates("ticks", loops.tickRing, loops.measuredTickRate.load());
    ReportRates("frames", loops.frameRing, loops.measuredFrameRate.load());
  }
  int32_t result = CallLocked(loops.endCallback);
  // The end callback may hand over the last changes: they reach the disk
  // before the program ends.
  PlayerFileWriterFinish();
  return result;
}

}  // namespace

uint32_t NextTickDeadline(uint32_t deadline, uint32_t now, uint32_t period, uint32_t catchUpTicks) {
  // Signed: correct across the clock's wrap. A tick taken before its
  // deadline (a wait asked for it) starts the cadence from now.
  const int32_t late = static_cast<int32_t>(now - deadline);
  if (late >= 0 && static_cast<uint32_t>(late) < catchUpTicks * period) return deadline + period;
  return now + period;
}

void SetAppCallbacks(AppCallback start, AppCallback end, AppCallback frame) {
  loops.startCallback = start;
  loops.endCallback = end;
  loops.frameCallback = frame;
}

int32_t RunMainLoop() {
  PlatformIgnoreBrokenPipes();
  loops.mainThreadId.store(std::this_thread::get_id());
  PlayerFileWriterStart();
  int32_t startResult = CallLocked(loops.startCallback);
  if (startResult != 0) {
    PlayerFileWriterFinish();
    return startResult;
  }
  return PlatformRunLoop(PlatformLoop{MainLoopPass, MainLoopDone, FinishMainLoop});
}

void SetTickCallback(int32_t rate, TickCallback callback) {
  loops.tickRate.store(callback ? rate : kIdleTickRate);
  loops.tickCallback.store(callback);
}

void WaitForTick() {
  // Inside a tick no further tick can come until this one returns.
  if (inTick) return;
  // Ticks fed by the loop's passes: the awaited tick is taken now, on this
  // thread, as the timer thread would take it at its deadline (during a
  // scene switch an idle one, which sets the idle period's deadline).
  if (loops.ticksFromFrames.load()) {
    if (loops.quitState.load() != 0) return;
    if (inFrame) loops.gameLock.unlock();
    TickStep(GetTimeMs(), 0);
    if (inFrame) loops.gameLock.lock();
    return;
  }
  // Inside a frame the awaited tick needs the game lock this thread holds:
  // let go of it for the wait (the scene switch has emptied the callback, so
  // that tick runs no game code), and take it back before returning.
  loops.tickWaitFlag.store(1);
  if (inFrame) loops.gameLock.unlock();
  while (loops.tickWaitFlag.load() != 0) {
    if (!loops.timerThread.load() || loops.quitState.load() == 2) break;
    SleepMs(1);
  }
  if (inFrame) loops.gameLock.lock();
}

void WaitForFrame() {
  // The main loop cannot finish a frame while this thread is inside one, or
  // holds the lock the frame needs.
  // Where the passes feed the ticks, every caller is inside a pass.
  if (inFrame || inTick || !PlatformHasWindow() || loops.ticksFromFrames.load()) return;
  loops.frameWaitFlag.store(1);
  while (loops.frameWaitFlag.load() != 0) {
    if (loops.quitPosted.load()) return;
    SleepMs(1);
  }
}

float GetFrameFps() { return loops.measuredFrameRate.load(); }
float GetTickFps() { return loops.measuredTickRate.load(); }
int32_t GetTickRate() { return loops.tickRate.load(); }

int32_t GetQuitState() { return loops.quitState.load(); }

void RequestQuit() {
  int32_t running = 0;
  loops.quitState.compare_exchange_strong(running, 1);
  loops.quitPosted.store(true);
}

void RequestFullscreenToggle() { loops.fullscreenToggleAsked.store(true); }

bool IsMainThread() { return loops.mainThreadId.load() == std::this_thread::get_id(); }

uint32_t GetTimeMs() { return PlatformTimeMs(); }
void SleepMs(uint32_t ms) { PlatformSleepMs(ms); }
void ReturnFreedMemory() { PlatformReturnFreedMemory(); }

void ResetLoopState() {
  if (loops.mainThreadId.load() == std::thread::id()) loops.mainThreadId.store(std::this_thread::get_id());
  loops.tickCallback.store(nullptr);
  loops.tickRate.store(kIdleTickRate);
  loops.quitState.store(0);
  loops.quitPosted.store(false);
  loops.tickWaitFlag.store(0);
  loops.frameWaitFlag.store(0);
  uint32_t now = GetTimeMs();
  loops.frameRing = RateRing{};
  loops.tickRing = RateRing{};
  loops.frameRing.lastTime = now;
  loops.tickRing.lastTime = now;
  loops.measuredFrameRate.store(0.0f);
  loops.measuredTickRate.store(0.0f);
  loops.ticksFromFrames.store(false);
  loops.fullscreenToggleAsked.store(false);
}

int32_t StartTimerThread() {
  if (loops.timerThread.load()) return 1;
  loops.timerThread.store(PlatformStartThread("tick", TimerThreadMain));
  return loops.timerThread.load() ? 0 : 1;
}

void StopTimerThread() {
  if (!loops.timerThread.load()) return;
  RequestQuit();
  PlatformJoinThread(loops.timerThread.exchange(nullptr));
}

int32_t StartFrameTicks(uint32_t now) {
  if (loops.timerThread.load() || loops.ticksFromFrames.load()) return 1;
  loops.tickDeadline = now + TickPeriodMs();
  loops.ticksFromFrames.store(true);
  return 0;
}

void RunDueTicks(uint32_t now) {
  if (!loops.ticksFromFrames.load() || loops.quitState.load() != 0) return;
  while (static_cast<int32_t>(now - loops.tickDeadline) >= 0) TickStep(now, kFrameCatchUpTicks);
}

bool HasTimerThread() { return loops.timerThread.load() != nullptr; }

bool TicksRunning() { return HasTimerThread() || loops.ticksFromFrames.load(); }

bool HasTickCallback() { return loops.tickCallback.load() != nullptr; }
