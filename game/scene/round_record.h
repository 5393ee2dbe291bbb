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

enum class RoundRecordMode : int32_t { kOff = 0, kRecording = 1, kReplaying = 2 };

struct RoundRecord {
  RoundRecordMode mode = RoundRecordMode::kOff;
  Replay replay;
  // The round's ticks so far (replaying: also the records fed).
  int32_t ticks = 0;
  // Replaying: the first tick whose state differed from the record, or -1.
  int32_t differsAt = -1;
  // The round reached "Finish!" within its record.
  bool ended = false;
};
extern RoundRecord roundRecord;

// The next round plays this replay instead of the player's input (nullptr:
// the player plays). Ticks paused.
void RoundRecordPlayNext(const Replay* replay);
bool RoundRecordIsReplay();
// The next played round takes this seed instead of a fresh one (tools and
// tests that record a round of their choosing).
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
// Game scene release: the input is the player's again.
void RoundRecordEnd();

// The state that decides the round (never the look).
uint32_t RoundStateChecksum();
