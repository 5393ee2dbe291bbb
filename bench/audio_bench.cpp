// Audio costs: how fast the whole-file decoder turns Ogg Vorbis into PCM
// (seconds of audio per second), and how much CPU the music thread takes
// while it streams a stereo 44.1 kHz track on OpenAL Soft's null device.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/loop_internal.h"
#include "engine/audio/audio_device.h"
#include "engine/audio/sound.h"

namespace {

constexpr double kStreamSeconds = 5.0;

std::string Corpus(const std::string& name) {
  const char* root = std::getenv("TIDE_TESTDATA");
  std::string base = root != nullptr ? root : TIDE_TESTDATA_DIR;
  return base + "/vorbis/" + name;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
  }
  return bytes;
}

std::set<int> ThreadIds() {
  std::set<int> ids;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ids.insert(std::atoi(entry->d_name));
    closedir(dir);
  }
  return ids;
}

// User plus system CPU seconds of one thread (or of the process for tid 0).
double CpuSeconds(int tid) {
  std::string path = tid != 0 ? "/proc/self/task/" + std::to_string(tid) + "/stat" : "/proc/self/stat";
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0.0;
  char line[1024] = {};
  size_t n = std::fread(line, 1, sizeof line - 1, file);
  std::fclose(file);
  line[n] = '\0';
  // Fields after the command name's closing parenthesis; utime and stime are 14 and 15.
  const char* rest = std::strrchr(line, ')');
  unsigned long utime = 0, stime = 0;
  if (rest == nullptr ||
      std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
    return 0.0;
  return static_cast<double>(utime + stime) / sysconf(_SC_CLK_TCK);
}

void BM_DecodeWholeFile(benchmark::State& state, const char* name) {
  std::vector<uint8_t> bytes = ReadAll(Corpus(name));
  if (bytes.empty()) {
    state.SkipWithError("corpus file missing (set TIDE_TESTDATA)");
    return;
  }
  double audioSeconds = 0.0;
  for (auto _ : state) {
    PcmData pcm{};
    if (DecodeOggMemory(bytes.data(), bytes.size(), &pcm) != 0) {
      state.SkipWithError("decode failed");
      return;
    }
    audioSeconds += static_cast<double>(pcm.size) / pcm.bytesPerSecond;
    FreePcmData(&pcm);
  }
  state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_DecodeWholeFile, stereo_44k_21s, "basic/rc3-test.ogg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeWholeFile, mono_22k_10s, "basic/impulses_1second_22050.ogg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeWholeFile, effect_mono_44k_1s, "basic/oggvorbis-test.ogg")->Unit(benchmark::kMillisecond);

void BM_MusicThreadCpu(benchmark::State& state) {
  if (OpenAudioDevice() != 0) {
    state.SkipWithError("no audio device");
    return;
  }
  std::string path = Corpus("basic/sketch008.ogg");
  for (auto _ : state) {
    std::set<int> before = ThreadIds();
    Sound music{};
    if (LoadMusic(&music, path.c_str()) != 0) {
      state.SkipWithError("music did not load");
      return;
    }
    int musicTid = 0;
    for (int tid : ThreadIds())
      if (before.count(tid) == 0) musicTid = tid;
    SetSoundLoop(&music, 1);
    PlaySound(&music);
    double threadStart = CpuSeconds(musicTid);
    double processStart = CpuSeconds(0);
    auto wallStart = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(kStreamSeconds));
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    state.counters["music_thread_cpu_pct"] = 100.0 * (CpuSeconds(musicTid) - threadStart) / wall;
    state.counters["process_cpu_pct"] = 100.0 * (CpuSeconds(0) - processStart) / wall;
    ReleaseSound(&music);
  }
}
BENCHMARK(BM_MusicThreadCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // The null device mixes in real time but plays nothing; set before any
  // device opens, as OpenAL Soft reads its configuration once.
  std::string config = "/tmp/tide_audio_bench_" + std::to_string(getpid()) + ".conf";
  if (FILE* file = std::fopen(config.c_str(), "w")) {
    std::fputs("[general]\ndrivers = null\n", file);
    std::fclose(file);
  }
  setenv("ALSOFT_CONF", config.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(config.c_str());
  return 0;
}
