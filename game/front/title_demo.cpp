// Choosing the title's demo round and how long the title waits for it.
#include "game/front/title_demo.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/app/app.h"
#include "engine/app/player_file.h"
#include "game/build_info.h"
#include "game/scene/best_score.h"
#include "game/scene/replay_check.h"
#include "game/scene/round_record.h"

namespace {

constexpr int32_t kWaitSeconds = 20;
constexpr int32_t kTicksPerSecond = 60;

bool Load(const std::string& path, Replay* replay) {
  std::string line;
  if (LoadReplayFile(path, replay, &line) == ReplayReadResult::kOk) return true;
  std::fprintf(stderr, "%s\n", line.c_str());
  return false;
}

}  // namespace

int32_t TitleDemoWaitTicks() {
  const char* text = std::getenv("TIDE_TEST_DEMO_SECONDS");
  const int32_t seconds = text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : kWaitSeconds;
  return seconds * kTicksPerSecond;
}

bool TitleDemoChoose(Replay* replay) {
  const std::string best = SystemDataPath(kProgramName, kBestRoundFileName);
  // No best round yet is no fault: nothing is said.
  if (!best.empty() && bestScore.value > 0 && std::ifstream(best).good()) {
    if (Load(best, replay) && replay->score == bestScore.value) return true;
  }
  return Load(ContentsPath(kDemoRoundFileName), replay);
}
