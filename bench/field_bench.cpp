// Cost of one full play-field tick: customer with its balloon, board with 30
// blocks, and 30 sweets in flight, each with a burst of 16 sparks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "engine/app/app.h"
#include "engine/render/sprite.h"
#include "game/field/board.h"
#include "game/field/customer.h"
#include "game/field/sweet.h"
#include "game/scene/round_state.h"

namespace {

void OpenField() {
  static bool opened = false;
  if (opened) return;
  if (CreateAppWindow("TIDE_MARKER bench", 1024, 576, kNoTimerThread | kNoVsync) != 0) {
    std::fprintf(stderr, "field_bench: no window (run under xvfb-run)\n");
    std::abort();
  }
  SetScreenSize(1024, 576);
  SetTouchArea(1024, 576);
  SeedRandom(7);
  LoadTexture(&particleTexture, ContentsPath("particle.png"));
  CustomerInit(&customer);
  BoardInit(&board);
  board.y = 125;
  board.slidingIn = false;
  selectionEnabled = true;
  opened = true;
}

// Puts every slot in flight from its own block with a fresh burst.
void LaunchSweets() {
  for (int32_t k = 0; k < kSweetSlotCount; ++k) {
    const Vec2 at = board.grid.blocks[k].sprite.pos;
    SweetSpawn(&sweetSlots[k], at.x, at.y, -1, true, 1 + k % 3, 1, 0, 0);
    ParticleInit(&sweetSlots[k].sparks);
    sweetSlots[k].flying = true;
    sweetSlots[k].textsSet = true;
  }
}

void BM_FieldTick(benchmark::State& state) {
  OpenField();
  int32_t ticks = 0;
  LaunchSweets();
  for (auto _ : state) {
    // Long enough for the flights and sparks to stay busy; short enough
    // that no sweet arrives before the next launch.
    if (++ticks % 20 == 0) {
      state.PauseTiming();
      LaunchSweets();
      state.ResumeTiming();
    }
    SampleTouchSlots();
    playTicks += 1;
    CustomerUpdate(&customer);
    BoardUpdate(&board);
    FinishTouchTick();
  }
}
BENCHMARK(BM_FieldTick);

}  // namespace

BENCHMARK_MAIN();
