// A round as a seed and its ticks' input: recorded while it is played and
// saved when it reaches "Finish!", or fed back to replay it. A checksum of the
// round's state every kReplayChecksumEvery ticks tells where a replay first
// went its own way. Tick thread, and the game scene's initialisation and
// release (ticks paused).
#pragma once

#include <cstdint>

#include "game/scene/replay_file.h"

// Changes whenever a change to the game alters what a round does with the
// same seed and input (the replays in the tests stop matching).
constexpr uint32_t kRulesVersion = 1;

// The replay of the best round, beside the best score in the player's data
// folder.
constexpr char kBestRoundFileName[] = "best_round.replay";

enum class RoundRecordMode : int32_t { kOff = 0, kRecording = 1, kReplaying = 2 };
// Who watches a replay: the player who asked for it (the clear scene
// follows; Space, Enter, a click or a touch skips to it) or nobody (the
// title's demo: the title follows, and any press returns to it).
enum class ReplayShow : int32_t { kWatched = 0, kDemo = 1 };

struct RoundRecord {
  RoundRecordMode mode = RoundRecordMode::kOff;
  Replay replay;
  // The round's ticks so far (replaying: also the records fed).
  int32_t ticks = 0;
  // Replaying: the first tick whose state differed from the record, or -1.
  int32_t differsAt = -1;
  // The round reached "Finish!" within its record.
  bool ended = false;
  // Replaying: who watches, the live presses counted when the replay was
  // chosen, and whether a press has since ended it.
  ReplayShow show = ReplayShow::kWatched;
  uint32_t pressesSeen = 0;
  bool left = false;
  // Recording: the replays are saved at "Finish!" (not for a round given
  // its seed: that one is nobody's play).
  bool saves = false;
};
extern RoundRecord roundRecord;

// The next round plays this replay instead of the player's input (nullptr:
// the player plays), shown as show says. Ticks paused, or the title's tick.
void RoundRecordPlayNext(const Replay* replay, ReplayShow show);
bool RoundRecordIsReplay();
// The next recorded round starts from this seed instead of a new one (a
// round played again the same way: tests, the demo round's generator).
void RoundRecordSeedNext(uint32_t seed);
// Game scene initialisation, before the round's objects: seeds the rules'
// generator and records where input stands, or primes the replay's.
void RoundRecordBegin();
// The tick, before sampling: hands a replay's next record to the input.
void RoundRecordFeed();
// The tick, after sampling: records the round's input.
void RoundRecordCapture();
// The end of the round's tick: checksums, and the round's end (a played
// round's replays handed to the writer).
void RoundRecordAfterTick();
// The tick: true once a live press has ended the replay; the round stops
// there (a watched replay's score and plates become the record's).
bool RoundRecordLeaving();
// The scene after the round: the clear scene, or the title after the demo.
int32_t RoundRecordNextScene();
// Game scene release: the input is the player's again.
void RoundRecordEnd();

// The state that decides the round (never the look).
uint32_t RoundStateChecksum();
