// Recording and replaying the round: the seed, a start record of the input
// the round inherits, one record per tick, and state checksums.
#include "game/scene/round_record.h"

#include <cstring>
#include <string>

#include "engine/app/app.h"
#include "engine/app/player_file.h"
#include "engine/app/player_file_writer.h"
#include "engine/app/test_events.h"
#include "game/build_info.h"
#include "game/field/board.h"
#include "game/field/customer.h"
#include "game/hud/pause_menu.h"
#include "game/scene/best_score.h"
#include "game/scene/key_play.h"
#include "game/scene/round_state.h"
#include "game/scene/save_notice.h"
#include "game/scene/scene.h"

namespace {

constexpr char kLastRoundFileName[] = "last_round.replay";

// The replay the next round plays; taken by RoundRecordBegin.
Replay pendingReplay;
bool replayPending = false;
ReplayShow pendingShow = ReplayShow::kWatched;
uint32_t pendingPresses = 0;
bool seedPending = false;
uint32_t pendingSeed = 0;
// This tick's input, captured before anything changed touch slot 0.
ReplayTick capturedTick;

TickInput ToInput(const ReplayTick& tick) {
  return TickInput{static_cast<uint8_t>(tick.flags & ~kReplayStartKeysInPlay), tick.x, tick.y, tick.keys};
}
ReplayTick ToTick(const TickInput& input) { return ReplayTick{input.flags, input.x, input.y, input.keys}; }

// FNV-1a over the values' bytes: the same on every system for the same values.
struct Checksum {
  uint32_t value = 2166136261u;
  void Add(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 16777619u;
  }
  void Int(int32_t v) { Add(&v, sizeof v); }
  void Float(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Add(&bits, sizeof bits);
  }
  void Bool(bool v) { Int(v ? 1 : 0); }
};

void ReportReplaySave(bool saved, const std::string& error) {
  if (!saved) WarnPlayer("the round's replay is not kept: " + error);
}

void SaveReplay(const char* fileName, const std::vector<uint8_t>& bytes) {
  const std::string path = SystemDataPath(kProgramName, fileName);
  if (path.empty()) return;
  PlayerFileSave save;
  save.path = path;
  save.bytes.assign(bytes.begin(), bytes.end());
  save.report = ReportReplaySave;
  RequestPlayerFileSave(std::move(save));
}

void FinishRecording() {
  Replay& r = roundRecord.replay;
  r.score = score;
  r.plates = plateCount;
  if (!roundRecord.saves) return;
  const std::vector<uint8_t> bytes = EncodeReplay(r);
  SaveReplay(kLastRoundFileName, bytes);
  if (bestScore.roundNewBest) SaveReplay(kBestRoundFileName, bytes);
}

}  // namespace

RoundRecord roundRecord;

void RoundRecordPlayNext(const Replay* replay, ReplayShow show) {
  replayPending = replay != nullptr;
  if (replay != nullptr) pendingReplay = *replay;
  pendingShow = show;
  // A press from here on (also during the fade into the round) ends it.
  pendingPresses = GetLivePressCount(show == ReplayShow::kDemo ? LivePress::kAny : LivePress::kConfirm);
}

void RoundRecordSeedNext(uint32_t seed) {
  seedPending = true;
  pendingSeed = seed;
}

bool RoundRecordIsReplay() { return roundRecord.mode == RoundRecordMode::kReplaying; }

void RoundRecordBegin() {
  RoundRecord& rec = roundRecord;
  rec = RoundRecord{};
  if (replayPending) {
    rec.mode = RoundRecordMode::kReplaying;
    rec.replay = std::move(pendingReplay);
    rec.show = pendingShow;
    rec.pressesSeen = pendingPresses;
    replayPending = false;
    SetInputPlayback(true);
    // A replayed round beats no best: the clear scene after it says none.
    bestScore.roundNewBest = false;
    TestEvent("replay start %s score %d", rec.show == ReplayShow::kDemo ? "demo" : "watched",
              static_cast<int>(rec.replay.score));
  } else {
    rec.mode = RoundRecordMode::kRecording;
    rec.replay.rulesVersion = kRulesVersion;
    std::strncpy(rec.replay.programVersion, kProgramVersion, kReplayProgramVersionSize - 1);
    rec.replay.seed = seedPending ? pendingSeed : NewRoundSeed();
    rec.saves = !seedPending;
    seedPending = false;
    rec.replay.start = ToTick(CaptureTickInput());
    rec.replay.start.flags &= static_cast<uint8_t>(~(kTickFocusLost | kTickPadRemoved));
    if (keyPlay.active) rec.replay.start.flags |= kReplayStartKeysInPlay;
  }
  // A played round starts from its start record too, so that what it
  // inherits from the scenes before it is exactly what a replay restores.
  PrimeTickInput(ToInput(rec.replay.start));
  SeedRandom(rec.replay.seed);
  KeyPlayStartRound(&keyPlay, (rec.replay.start.flags & kReplayStartKeysInPlay) != 0);
}

void RoundRecordFeed() {
  RoundRecord& rec = roundRecord;
  if (rec.mode != RoundRecordMode::kReplaying) return;
  // Past its record (the fade after "Finish!", or a record cut short) the
  // replayed finger rests where it was, lifted, and no key is held.
  if (!rec.ended && static_cast<size_t>(rec.ticks) < rec.replay.ticks.size()) {
    FeedTickInput(ToInput(rec.replay.ticks[static_cast<size_t>(rec.ticks)]));
  } else {
    FeedTickInput(TickInput{0, 0, 0, 0});
  }
}

void RoundRecordCapture() {
  if (roundRecord.mode == RoundRecordMode::kRecording) capturedTick = ToTick(CaptureTickInput());
}

void RoundRecordAfterTick() {
  RoundRecord& rec = roundRecord;
  if (rec.mode == RoundRecordMode::kOff || rec.ended) return;
  // Kept here, not at the capture: a tick that does not reach the round
  // (its scene switching away) records nothing.
  if (rec.mode == RoundRecordMode::kRecording) rec.replay.ticks.push_back(capturedTick);
  rec.ticks += 1;
  if (rec.ticks % kReplayChecksumEvery == 0) {
    const uint32_t sum = RoundStateChecksum();
    const size_t k = static_cast<size_t>(rec.ticks / kReplayChecksumEvery - 1);
    if (rec.mode == RoundRecordMode::kRecording) {
      rec.replay.checksums.push_back(sum);
    } else if (rec.differsAt < 0 && (k >= rec.replay.checksums.size() || rec.replay.checksums[k] != sum)) {
      rec.differsAt = rec.ticks;
    }
  }
  if (!finishFadeStarted) return;
  rec.ended = true;
  if (rec.mode == RoundRecordMode::kRecording) {
    // A round ends within an hour; one longer is cut here and not saved.
    FinishRecording();
  }
}

bool RoundRecordLeaving() {
  RoundRecord& rec = roundRecord;
  if (rec.mode != RoundRecordMode::kReplaying || rec.left) return rec.left;
  const LivePress kind = rec.show == ReplayShow::kDemo ? LivePress::kAny : LivePress::kConfirm;
  if (GetLivePressCount(kind) == rec.pressesSeen) return false;
  rec.left = true;
  if (rec.show == ReplayShow::kWatched) {
    score = rec.replay.score;
    plateCount = rec.replay.plates;
  }
  return true;
}

int32_t RoundRecordNextScene() {
  const bool demo = roundRecord.mode == RoundRecordMode::kReplaying && roundRecord.show == ReplayShow::kDemo;
  return demo ? kSceneTitle : kSceneClear;
}

void RoundRecordEnd() {
  if (roundRecord.mode == RoundRecordMode::kReplaying) {
    SetInputPlayback(false);
    TestEvent("replay end");
  }
  roundRecord.mode = RoundRecordMode::kOff;
  roundRecord.replay = Replay{};
}

uint32_t RoundStateChecksum() {
  Checksum c;
  c.Int(score);
  c.Int(comboCount);
  c.Int(ordersCleared);
  c.Int(plateCount);
  c.Int(plateResetCount);
  c.Float(gaugeLevel);
  c.Int(gaugeStage);
  c.Bool(roundFinishing);
  c.Bool(finishFadeStarted);
  c.Bool(selectionEnabled);
  c.Bool(plateComplete);
  c.Bool(boardChanging);
  c.Bool(failMadeOnPlate);
  c.Bool(perfectPlate);
  c.Bool(feverActive);
  c.Float(board.plate.pos.x);
  c.Float(board.plate.pos.y);
  const BlockGrid& grid = board.grid;
  for (int i = 0; i < kGridCells; ++i) {
    const Block& b = grid.blocks[i];
    c.Int(b.type);
    c.Bool(b.selected);
    c.Bool(b.vanished);
    c.Bool(b.consumed);
    c.Float(b.sprite.pos.x);
    c.Float(b.sprite.pos.y);
  }
  c.Int(grid.chainLength);
  c.Int(grid.sweetCount);
  c.Float(customer.points);
  c.Float(customer.fill);
  c.Bool(customer.customerFull);
  for (int i = 0; i < 3; ++i) c.Int(customer.balloon.quota[i]);
  c.Bool(pauseMenu.paused);
  c.Bool(keyPlay.active);
  return c.value;
}
