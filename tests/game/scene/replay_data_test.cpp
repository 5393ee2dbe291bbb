// The recorded rounds in tests/data/replays replay to their scores headless,
// and together reach the rules the whole-program rounds reach; a changed
// input or other rules are told apart from a match.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/app/app.h"
#include "game/field/board.h"
#include "game/hud/pause_menu.h"
#include "game/scene/key_play.h"
#include "game/scene/replay_check.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"
#include "support/engine/test_data.h"

namespace {

// What the replays' rounds reached, over all their ticks.
struct Reached {
  bool perfectPlate, failedSweet, pause, keys, order, newPlateIcon;
  int32_t longestCombo;
};
Reached reached;

void Observe() {
  reached.perfectPlate |= perfectPlate;
  reached.failedSweet |= failMadeOnPlate;
  reached.pause |= pauseMenu.paused;
  reached.keys |= keyPlay.active;
  reached.order |= ordersCleared > 0;
  reached.newPlateIcon |= plateResetCount > 0;
  reached.longestCombo = std::max(reached.longestCombo, comboCount);
}

std::vector<std::string> ReplayFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(TestDataDir() + "/replays")) {
    if (entry.path().extension() == ".replay") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST(ReplayData, EveryRecordedRoundReplaysToItsScoreAndTheyCoverTheRules) {
  const std::vector<std::string> files = ReplayFiles();
  ASSERT_GE(files.size(), 2u);
  for (const std::string& file : files) {
    Replay replay;
    std::string line;
    ASSERT_EQ(LoadReplayFile(file, &replay, &line), ReplayReadResult::kOk) << line;
    EXPECT_EQ(CheckReplay(replay, &line, Observe), kReplayCheckMatches) << file << ": " << line;
    EXPECT_EQ(line, "replay: score " + std::to_string(replay.score) + ", plates " + std::to_string(replay.plates) +
                        ", ticks " + std::to_string(replay.ticks.size()));
  }
  EXPECT_TRUE(reached.perfectPlate);
  EXPECT_TRUE(reached.failedSweet);
  EXPECT_TRUE(reached.pause);
  EXPECT_TRUE(reached.keys);
  EXPECT_TRUE(reached.order);
  EXPECT_TRUE(reached.newPlateIcon);
  EXPECT_GE(reached.longestCombo, 6);
}

TEST(ReplayData, AChangedInputOrOtherRulesAreNoMatch) {
  Replay replay;
  std::string line;
  ASSERT_EQ(LoadReplayFile(TestDataDir() + "/replays/mouse_round.replay", &replay, &line), ReplayReadResult::kOk) << line;
  // The finger's first press, a block's width to the side: the round goes
  // another way from there, found at the next checksum at the latest.
  const auto press = std::find_if(replay.ticks.begin(), replay.ticks.end(),
                                  [](const ReplayTick& t) { return (t.flags & kReplayPointerDown) != 0; });
  ASSERT_NE(press, replay.ticks.end());
  const int32_t pressTick = static_cast<int32_t>(press - replay.ticks.begin()) + 1;
  for (auto t = press; t != replay.ticks.end() && (t->flags & kReplayPointerDown); ++t) t->x += 95 * 16;
  EXPECT_EQ(CheckReplay(replay, &line), kReplayCheckDiffers);
  EXPECT_GE(roundRecord.differsAt, pressTick) << line;
  EXPECT_LE(roundRecord.differsAt, pressTick + kReplayChecksumEvery) << line;
  EXPECT_NE(line.find("differs from its record at tick " + std::to_string(roundRecord.differsAt)), std::string::npos);

  replay.rulesVersion = kRulesVersion + 1;
  const std::vector<uint8_t> bytes = EncodeReplay(replay);
  const std::string path = (std::filesystem::temp_directory_path() / "other_rules.replay").string();
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  EXPECT_EQ(LoadReplayFile(path, &replay, &line), ReplayReadResult::kOtherRules);
  EXPECT_NE(line.find("rules " + std::to_string(kRulesVersion + 1)), std::string::npos) << line;
  std::filesystem::remove(path);
}
