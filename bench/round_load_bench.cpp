// What building a round costs: the switch from the loading scene into the
// game scene (the frame that builds the round, finished with glFinish), the
// texture memory the round holds, and the process's resident memory, over
// several rounds in a row so growth from round to round shows. Runs from the
// build folder (its contents folder) under xvfb-run, with sound on OpenAL
// Soft's null device when ALSOFT_DRIVERS=null is set.
#include <GL/glew.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "engine/app/app.h"
#include "engine/render/sprite.h"
#include "game/scene/fade.h"
#include "game/scene/scene.h"

namespace {

// Rounds in a row; TIDE_ROUNDS sets another count.
int Rounds() {
  const char* text = std::getenv("TIDE_ROUNDS");
  int rounds = text != nullptr ? std::atoi(text) : 0;
  return rounds > 0 ? rounds : 6;
}

// Sum of the sizes of every live texture, 4 bytes a texel.
double TextureMiB() {
  size_t bytes = 0;
  for (GLuint name = 1; name < 8192; ++name) {
    if (!glIsTexture(name)) continue;
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    bytes += size_t(w) * size_t(h) * 4;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return bytes / 1048576.0;
}

double ResidentMB() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}

// CPU time of the calling thread: the switch's own work, whatever else the
// machine is doing.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void DrawFrame() {
  ClearScreen();
  sceneChanger->Draw();
  if (FadeIsActive()) FadeDraw();
  glFinish();
}

void BM_SwitchIntoGameScene(benchmark::State& state) {
  if (CreateAppWindow("TIDE_MARKER round bench", 1024, 576, kNoTimerThread | kNoVsync) != 0) {
    state.SkipWithError("no window (run under xvfb-run)");
    return;
  }
  SetClearColor(0, 0, 0, 1);
  SetScreenSize(1024, 576);
  sceneChanger = new SceneChanger();
  const double residentAtStart = ResidentMB();
  double cpuTotalMs = 0;
  double firstTextures = 0, firstResident = 0, lastTextures = 0, lastResident = 0;
  double worstMs = 0, totalMs = 0;
  int rounds = 0;
  for (auto _ : state) {
    sceneChanger->Change(kSceneLoad);
    DrawFrame();
    const double texturesBefore = TextureMiB();
    auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = ThreadCpuMs();
    sceneChanger->Change(kSceneGame);
    const double buildMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    DrawFrame();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double cpuMs = ThreadCpuMs() - cpu0;
    cpuTotalMs += cpuMs;
    state.SetIterationTime(ms / 1000.0);
    const double textures = TextureMiB() - texturesBefore;
    const double resident = ResidentMB();
    std::fprintf(stderr,
                 "round %d: switch %.1f ms (build %.1f ms, main thread CPU %.1f ms), round textures "
                 "%.1f MiB, resident %.1f MB\n",
                 rounds + 1, ms, buildMs, cpuMs, textures, resident);
    if (rounds == 0) firstTextures = textures, firstResident = resident;
    lastTextures = textures, lastResident = resident;
    worstMs = ms > worstMs ? ms : worstMs;
    totalMs += ms;
    ++rounds;
  }
  sceneChanger->Release();
  delete sceneChanger;
  sceneChanger = nullptr;
  state.counters["switch_ms_mean"] = totalMs / rounds;
  state.counters["switch_ms_worst"] = worstMs;
  state.counters["switch_cpu_ms_mean"] = cpuTotalMs / rounds;
  state.counters["resident_at_start_MB"] = residentAtStart;
  state.counters["round_textures_MiB"] = lastTextures;
  state.counters["textures_growth_MiB"] = lastTextures - firstTextures;
  state.counters["resident_MB"] = lastResident;
  state.counters["resident_growth_MB"] = lastResident - firstResident;
}
BENCHMARK(BM_SwitchIntoGameScene)->Iterations(Rounds())->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
