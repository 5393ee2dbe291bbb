// How fast a recorded round is checked headless, against the time it took to
// play: the recorded rounds of tests/data/replays, each checked whole per
// iteration. The "realtime_x" counter is the round's played seconds over the
// seconds its check took (a tick is 1/60 s).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "game/scene/replay_check.h"

namespace {

std::string ReplayPath(const char* name) {
  const char* dir = std::getenv("TIDE_TESTDATA");
  return std::string(dir != nullptr ? dir : TIDE_TESTDATA_DIR) + "/replays/" + name;
}

void BM_CheckReplay(benchmark::State& state, const char* name) {
  Replay replay;
  std::string line;
  if (LoadReplayFile(ReplayPath(name), &replay, &line) != ReplayReadResult::kOk) {
    state.SkipWithError(line.c_str());
    return;
  }
  for (auto _ : state) {
    if (CheckReplay(replay, &line) != kReplayCheckMatches) state.SkipWithError(line.c_str());
  }
  const double playedSeconds = static_cast<double>(replay.ticks.size()) / 60.0;
  state.counters["realtime_x"] =
      benchmark::Counter(playedSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(BM_CheckReplay, mouse_round, "mouse_round.replay")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckReplay, keys_round, "keys_round.replay")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckReplay, every_rule, "every_rule.replay")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
