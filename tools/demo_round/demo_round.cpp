// Generates contents/demo_round.replay, the round the title shows when the
// player has no best round of these rules: the game's own round, headless,
// played by the scripted finger from a fixed seed and recorded as any round
// is, to "Finish!". Another seed gives another round (tests); --every-rule
// plays the round that reaches every rule (tests/data/replays).
//   demo_round [--every-rule] OUTPUT [SEED]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/scene/replay_file.h"
#include "game/scene/scripted_finger.h"

namespace {

// Chosen for its round: varied drags, serves of several sweets, and a
// new-plate icon tapped on the customer.
constexpr uint32_t kDemoSeed = 20240601u;
// Far longer than the round takes: a round that never ends is a fault.
constexpr int32_t kTickLimit = 60 * 600;

}  // namespace

int main(int argc, char** argv) {
  FingerScript script = FingerScript::kDemo;
  if (argc > 1 && std::string(argv[1]) == "--every-rule") {
    script = FingerScript::kEveryRule;
    --argc;
    ++argv;
  }
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: demo_round [--every-rule] OUTPUT [SEED]\n");
    return 2;
  }
  const uint32_t seed = argc == 3 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : kDemoSeed;
  Replay replay;
  const std::vector<uint8_t> bytes =
      ScriptedRoundPlay(seed, kTickLimit, &replay, script) ? EncodeReplay(replay) : std::vector<uint8_t>();
  int exitCode = 1;
  if (bytes.empty()) {
    std::fprintf(stderr, "demo_round: the round did not reach Finish!\n");
  } else if (!std::ofstream(argv[1], std::ios::binary | std::ios::trunc)
                  .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    std::fprintf(stderr, "demo_round: cannot write %s\n", argv[1]);
  } else {
    std::fprintf(stderr, "demo_round: score %d, plates %d, %zu ticks, %zu bytes\n", static_cast<int>(replay.score),
                 static_cast<int>(replay.plates), replay.ticks.size(), bytes.size());
    exitCode = 0;
  }
  return exitCode;
}
