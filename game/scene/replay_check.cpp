// The replay checker: the round built and ticked headless from a replay, the
// same tick the game runs, until "Finish!" or the record runs out.
#include "game/scene/replay_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/app/app.h"
#include "game/scene/game_scene.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"

namespace {

// A replay of an hour's round is far smaller; anything larger is not one.
constexpr std::streamsize kLargestReplayFile = 4 * 1024 * 1024;
// The ticks a replay may run past its record: the customer's last
// animation can still be under way when the record ends.
constexpr size_t kTicksPastRecord = 600;

}  // namespace

ReplayReadResult LoadReplayFile(const std::string& path, Replay* replay, std::string* line) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes;
  if (in) {
    in.seekg(0, std::ios::end);
    const std::streamsize size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > kLargestReplayFile) {
      *line = "replay: " + path + " is too large to be a replay";
      return ReplayReadResult::kNotAReplay;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!in && !in.eof()) {
    *line = "replay: cannot read " + path;
    return ReplayReadResult::kNotAReplay;
  }
  const ReplayReadResult result = DecodeReplay(bytes.data(), bytes.size(), kRulesVersion, replay);
  if (result != ReplayReadResult::kOk) *line = ReplayReadMessage(result, path.c_str(), *replay, kRulesVersion);
  return result;
}

ReplayCheckExit CheckReplay(const Replay& replay, std::string* line, ReplayTickObserver observer) {
  SetHeadless(true);
  SetTouchArea(1024.0f, 576.0f);
  RoundRecordPlayNext(&replay, ReplayShow::kWatched);
  SceneChanger changer;
  sceneChanger = &changer;
  ReplayCheckExit exit = kReplayCheckDiffers;
  // A round that could not be built (its pictures missing) replays nothing.
  if (changer.Change(kSceneGame) != 0 || roundRecord.mode != RoundRecordMode::kReplaying) {
    *line = "replay: the round cannot be built";
  } else {
    const size_t limit = replay.ticks.size() + kTicksPastRecord;
    for (size_t t = 0; t < limit && !roundRecord.ended && roundRecord.differsAt < 0; ++t) {
      GameTick();
      if (observer != nullptr) observer();
    }
    char text[160];
    std::snprintf(text, sizeof text, "replay: score %d, plates %d, ticks %d", static_cast<int>(score),
                  static_cast<int>(plateCount), static_cast<int>(roundRecord.ticks));
    *line = text;
    if (roundRecord.differsAt >= 0) {
      *line += "; the round differs from its record at tick " + std::to_string(roundRecord.differsAt);
    } else if (!roundRecord.ended) {
      *line += "; the round did not reach Finish!";
    } else if (roundRecord.ticks != static_cast<int32_t>(replay.ticks.size()) || score != replay.score ||
               plateCount != replay.plates) {
      *line += "; the record says score " + std::to_string(replay.score) + ", plates " +
               std::to_string(replay.plates) + ", ticks " + std::to_string(replay.ticks.size());
    } else {
      exit = kReplayCheckMatches;
    }
  }
  changer.Release();
  sceneChanger = nullptr;
  return exit;
}

int32_t CheckReplayFile(const std::string& path) {
  Replay replay;
  std::string line;
  if (LoadReplayFile(path, &replay, &line) != ReplayReadResult::kOk) {
    std::fprintf(stderr, "%s\n", line.c_str());
    return kReplayCheckUnreadable;
  }
  const ReplayCheckExit exit = CheckReplay(replay, &line);
  std::printf("%s\n", line.c_str());
  return exit;
}
