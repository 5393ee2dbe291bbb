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
#include "engine/audio/audio_device.h"
#include "engine/audio/sound.h"

namespace {

constexpr int32_t kIdleTickRate = 5;
// How often a minimised window looks for the events that bring it back.
constexpr uint32_t kMinimizedPollMs = 16;
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

AppCallback startCallback;
AppCallback endCallback;
AppCallback frameCallback;

std::atomic<TickCallback> tickCallback{nullptr};
std::atomic<int32_t> tickRate{kIdleTickRate};
std::atomic<int32_t> quitState{0};
std::atomic<int32_t> tickWaitFlag{0};
std::atomic<int32_t> frameWaitFlag{0};
// Stands in for the quit message: the main loop leaves after the frame in
// which it was seen.
std::atomic<bool> quitPosted{false};
std::atomic<float> measuredFrameRate{0.0f};
std::atomic<float> measuredTickRate{0.0f};
std::atomic<std::thread::id> mainThreadId{};

RateRing frameRing;
RateRing tickRing;
std::atomic<void*> timerThread{nullptr};
// True while the main loop's passes run the ticks (no timer thread).
std::atomic<bool> ticksFromFrames{false};
// When the next tick is due; read and written only by whoever runs the ticks.
uint32_t tickDeadline;

// The game lock: one tick or one frame callback at a time.
std::mutex gameLock;
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
  int32_t rate = tickRate.load();
  if (rate < 1) rate = 1;
  uint32_t period = 1000u / static_cast<uint32_t>(rate);
  return period < 1 ? 1 : period;
}

// Runs the tick callback under the game lock. The callback is read again once
// the lock is held: a scene switch empties it and then waits for this tick,
// which must then not run the game.
void RunOneTick() {
  if (!tickCallback.load()) return;
  std::lock_guard<std::mutex> hold(gameLock);
  TickCallback callback = tickCallback.load();
  if (callback) {
    inTick = true;
    callback();
    inTick = false;
  }
}

// Sleeps toward the millisecond at which the deadline falls: whole 1 ms sleeps
// while it is far, then one short sleep that ends just inside that
// millisecond. Waking inside the deadline's own millisecond keeps the period
// at exactly the tick period, where 1 ms polls would add half a millisecond
// to every tick on average.
void WaitTowardDeadline(uint32_t deadline) {
  uint64_t nowUs = PlatformTimeUs();
  uint64_t nowMs = nowUs / 1000u;
  // Whole milliseconds still to go; the signed difference survives the wrap
  // of the 32-bit millisecond clock.
  int32_t aheadMs = static_cast<int32_t>(deadline - static_cast<uint32_t>(nowMs));
  if (aheadMs <= 0) return;
  uint64_t leftUs = (nowMs + static_cast<uint64_t>(aheadMs)) * 1000u - nowUs;
  if (leftUs > 1500u) {
    SleepMs(1);
  } else {
    PlatformSleepUs(static_cast<uint32_t>(leftUs) + 50u);
  }
}

// One tick at now: the next deadline, the tick callback, the wait flag and
// the measurement. The deadline is worked out before the callback runs, so a
// frame holding the lock does not slow the tick rate.
void TickStep(uint32_t now, uint32_t catchUpTicks) {
  tickDeadline = NextTickDeadline(tickDeadline, now, TickPeriodMs(), catchUpTicks);
  RunOneTick();
  tickWaitFlag.store(0);
  MeasureInterval(&tickRing, &measuredTickRate);
}

void TimerThreadMain() {
  // On two cores the software GL's rasterisers and the frame keep both busy;
  // without this a tick woke up to 4 ms late now and then.
  PlatformPreferPromptWakeups();
  tickDeadline = GetTimeMs() + TickPeriodMs();
  while (quitState.load() == 0) {
    uint32_t now = GetTimeMs();
    // Signed difference: correct across the wrap of the 32-bit clock.
    if (static_cast<int32_t>(now - tickDeadline) < 0) {
      WaitTowardDeadline(tickDeadline);
      continue;
    }
    // The thread wakes within the deadline's millisecond: lost ticks are
    // not made up.
    TickStep(now, 0);
  }
  quitState.store(2);
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
// the pauses of scene switches, which are part of the design.
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
  std::lock_guard<std::mutex> hold(gameLock);
  inFrame = true;
  int32_t result = callback();
  inFrame = false;
  return result;
}

// One pass of the main loop: the ticks due (when passes feed them), the
// music and the audio device's watch, the events, then the frame and the present unless nobody can see
// the window.
uint32_t MainLoopPass() {
  RunDueTicks(GetTimeMs());
  RefillMusicFromFrame();
  // A lost audio device is replaced between ticks: the watcher opens the new
  // one unlocked (that can take a while), the move onto it holds the game.
  if (WatchAudioDevice(GetTimeMs())) {
    std::lock_guard<std::mutex> hold(gameLock);
    SwapInAudioDevice();
  }
  PlatformPumpEvents();
  if (PlatformIsMinimized()) {
    // Nothing is drawn while nobody can see it; the ticks go on.
    frameWaitFlag.store(0);
    return kMinimizedPollMs;
  }
  PlatformPrepareFrame();
  CallLocked(frameCallback);
  frameWaitFlag.store(0);
  MeasureInterval(&frameRing, &measuredFrameRate);
  PlatformPresent();
  return kPassRestMs;
}

bool MainLoopDone() { return quitPosted.load(); }

int32_t FinishMainLoop() {
  if (timerThread.load()) {
    while (quitState.load() != 2) SleepMs(10);
    PlatformJoinThread(timerThread.exchange(nullptr));
  }
  // Ticks fed by the passes stop with them.
  if (ticksFromFrames.exchange(false)) quitState.store(2);
  // Both loops have stopped: the rings are read by this thread alone now.
  if (std::getenv("TIDE_STATS")) {
    ReportRates("ticks", tickRing, measuredTickRate.load());
    ReportRates("frames", frameRing, measuredFrameRate.load());
  }
  return CallLocked(endCallback);
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
  startCallback = start;
  endCallback = end;
  frameCallback = frame;
}

int32_t RunMainLoop() {
  mainThreadId.store(std::this_thread::get_id());
  int32_t startResult = CallLocked(startCallback);
  if (startResult != 0) return startResult;
  return PlatformRunLoop(PlatformLoop{MainLoopPass, MainLoopDone, FinishMainLoop});
}

void SetTickCallback(int32_t rate, TickCallback callback) {
  tickRate.store(callback ? rate : kIdleTickRate);
  tickCallback.store(callback);
}

void WaitForTick() {
  // Inside a tick no further tick can come until this one returns.
  if (inTick) return;
  // Ticks fed by the loop's passes: the awaited tick is taken now, on this
  // thread, as the timer thread would take it at its deadline (during a
  // scene switch an idle one, which sets the idle period's deadline).
  if (ticksFromFrames.load()) {
    if (quitState.load() != 0) return;
    if (inFrame) gameLock.unlock();
    TickStep(GetTimeMs(), 0);
    if (inFrame) gameLock.lock();
    return;
  }
  // Inside a frame the awaited tick needs the game lock this thread holds:
  // let go of it for the wait (the scene switch has emptied the callback, so
  // that tick runs no game code), and take it back before returning.
  tickWaitFlag.store(1);
  if (inFrame) gameLock.unlock();
  while (tickWaitFlag.load() != 0) {
    if (!timerThread.load() || quitState.load() == 2) break;
    SleepMs(1);
  }
  if (inFrame) gameLock.lock();
}

void WaitForFrame() {
  // The main loop cannot finish a frame while this thread is inside one, or
  // holds the lock the frame needs.
  // Where the passes feed the ticks, every caller is inside a pass.
  if (inFrame || inTick || !PlatformHasWindow() || ticksFromFrames.load()) return;
  frameWaitFlag.store(1);
  while (frameWaitFlag.load() != 0) {
    if (quitPosted.load()) return;
    SleepMs(1);
  }
}

float GetFrameFps() { return measuredFrameRate.load(); }
float GetTickFps() { return measuredTickRate.load(); }
int32_t GetTickRate() { return tickRate.load(); }

int32_t GetQuitState() { return quitState.load(); }

void RequestQuit() {
  int32_t running = 0;
  quitState.compare_exchange_strong(running, 1);
  quitPosted.store(true);
}

bool IsMainThread() { return mainThreadId.load() == std::this_thread::get_id(); }

uint32_t GetTimeMs() { return PlatformTimeMs(); }
void SleepMs(uint32_t ms) { PlatformSleepMs(ms); }
void ReturnFreedMemory() { PlatformReturnFreedMemory(); }

void ResetLoopState() {
  if (mainThreadId.load() == std::thread::id()) mainThreadId.store(std::this_thread::get_id());
  tickCallback.store(nullptr);
  tickRate.store(kIdleTickRate);
  quitState.store(0);
  quitPosted.store(false);
  tickWaitFlag.store(0);
  frameWaitFlag.store(0);
  uint32_t now = GetTimeMs();
  frameRing = RateRing{};
  tickRing = RateRing{};
  frameRing.lastTime = now;
  tickRing.lastTime = now;
  measuredFrameRate.store(0.0f);
  measuredTickRate.store(0.0f);
  ticksFromFrames.store(false);
}

int32_t StartTimerThread() {
  if (timerThread.load()) return 1;
  timerThread.store(PlatformStartThread("tick", TimerThreadMain));
  return timerThread.load() ? 0 : 1;
}

void StopTimerThread() {
  if (!timerThread.load()) return;
  RequestQuit();
  PlatformJoinThread(timerThread.exchange(nullptr));
}

int32_t StartFrameTicks(uint32_t now) {
  if (timerThread.load() || ticksFromFrames.load()) return 1;
  tickDeadline = now + TickPeriodMs();
  ticksFromFrames.store(true);
  return 0;
}

void RunDueTicks(uint32_t now) {
  if (!ticksFromFrames.load() || quitState.load() != 0) return;
  while (static_cast<int32_t>(now - tickDeadline) >= 0) TickStep(now, kFrameCatchUpTicks);
}

bool HasTimerThread() { return timerThread.load() != nullptr; }

bool TicksRunning() { return HasTimerThread() || ticksFromFrames.load(); }

bool HasTickCallback() { return tickCallback.load() != nullptr; }
