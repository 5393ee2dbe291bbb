// What saving the settings costs the ticks. The engine's timer thread runs a
// 60 Hz tick that saves a settings file every sixth tick (ten saves a second,
// as a player tapping '-' quickly), while another thread keeps the disk busy
// (64 MiB written and flushed, over and over). Each run lasts 10 s; the
// counters are the tick intervals the tick callback itself saw, in ms.
//   BM_TickIntervals/0/1: the write inside the tick, as a synchronous save
//   would do (create, write, fsync, rename, fsync of the folder).
//   BM_TickIntervals/1/1: the tick hands the save to the player-file writer.
//   BM_TickIntervals/1/0: the same without the disk load, and
//   BM_TickIntervals/2/1: the disk load without saves (the machine's own
//   jitter, for comparison).
// The files go to a folder made in the current folder (run it from the
// build folder: on the disk, not in a memory file system).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"
#include "engine/app/player_file_writer.h"

namespace {

constexpr int32_t kTickRate = 60;
constexpr int kTicksPerSave = 6;
constexpr int kRunSeconds = 10;
constexpr size_t kLoadChunk = 1 << 20;
constexpr int kLoadChunks = 64;
constexpr int kLoadNice = 19;

using Clock = std::chrono::steady_clock;

std::string folder;
bool saveInTick = false;
bool saving = true;
// Touched by the tick callback only; read once the timer thread is joined.
std::vector<double> intervalsMs;
// How long each saving tick took, from its start to its end.
std::vector<double> saveMs;
Clock::time_point lastTick;
int tickNumber = 0;
int32_t volume = 0;

PlayerFileSave NextSave() {
  volume = (volume + 10) % 110;
  PlayerFileSave save;
  save.path = folder + "/settings.ini";
  save.header = "benchmark";
  PutPlayerFileValue(&save.file, "volume", std::to_string(volume));
  return save;
}

void SavingTick() {
  Clock::time_point now = Clock::now();
  if (tickNumber > 0) intervalsMs.push_back(std::chrono::duration<double, std::milli>(now - lastTick).count());
  lastTick = now;
  if (++tickNumber % kTicksPerSave != 0 || !saving) return;
  PlayerFileSave save = NextSave();
  if (saveInTick) {
    std::string error;
    WritePlayerFile(save.path, save.header, save.file, &error);
  } else {
    RequestPlayerFileSave(std::move(save));
  }
  saveMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - now).count());
}

// Writes and flushes kLoadChunks MiB again and again until told to stop. At
// the lowest priority: on two cores shared with other work the writer's own
// copying would otherwise take the tick's processor, and what is measured
// here is what the disk does to a save, not the writer's CPU time.
void LoadDisk(const std::string& path, const std::atomic<bool>* stop) {
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kLoadNice);
  std::vector<char> chunk(kLoadChunk, 'x');
  while (!stop->load()) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    for (int i = 0; i < kLoadChunks && !stop->load(); ++i) {
      if (write(fd, chunk.data(), chunk.size()) < 0) break;
    }
    fsync(fd);
    close(fd);
  }
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t index = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[index];
}

void BM_TickIntervals(benchmark::State& state) {
  saveInTick = state.range(0) == 0;
  saving = state.range(0) != 2;
  char pattern[] = "settings_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    state.SkipWithError("cannot make a folder in the current folder");
    return;
  }
  folder = std::filesystem::absolute(pattern).string();
  uint64_t writesBefore = PlayerFileWritesDone();
  for (auto _ : state) {
    std::atomic<bool> stopLoad{false};
    std::thread load;
    if (state.range(1) != 0) load = std::thread(LoadDisk, folder + "/load", &stopLoad);
    intervalsMs.clear();
    saveMs.clear();
    saveMs.reserve(kTickRate * (kRunSeconds + 2));
    intervalsMs.reserve(kTickRate * (kRunSeconds + 2));
    tickNumber = 0;
    ResetLoopState();
    if (!saveInTick) PlayerFileWriterStart();
    SetTickCallback(kTickRate, SavingTick);
    StartTimerThread();
    // The main loop's part: a pass every millisecond, as on the desktop.
    Clock::time_point end = Clock::now() + std::chrono::seconds(kRunSeconds);
    while (Clock::now() < end) {
      PlayerFileWriterPass();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    StopTimerThread();
    PlayerFileWriterFinish();
    stopLoad.store(true);
    if (load.joinable()) load.join();
  }
  state.counters["p50_ms"] = Percentile(intervalsMs, 0.5);
  state.counters["p99_ms"] = Percentile(intervalsMs, 0.99);
  state.counters["max_ms"] = Percentile(intervalsMs, 1.0);
  state.counters["save_tick_p99_ms"] = Percentile(saveMs, 0.99);
  state.counters["save_tick_max_ms"] = Percentile(saveMs, 1.0);
  state.counters["saves_asked"] = saving ? static_cast<double>(tickNumber / kTicksPerSave) : 0.0;
  state.counters["writes"] = saveInTick ? static_cast<double>(tickNumber / kTicksPerSave)
                                        : static_cast<double>(PlayerFileWritesDone() - writesBefore);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_TickIntervals)->Args({1, 0})->Args({0, 1})->Args({1, 1})->Args({2, 1})->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
