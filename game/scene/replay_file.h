// A replay file: a round's seed and what each of its ticks saw of the input,
// as bytes to write and back (docs/replays.md, "File format"). Pure steps:
// no disk, no threads; the caller writes the bytes through its own writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kReplayFormatVersion = 1;
constexpr int32_t kReplayChecksumEvery = 60;  // one state checksum per 60 ticks
constexpr size_t kReplayProgramVersionSize = 32;
// One hour of ticks: a file announcing more is damaged.
constexpr uint32_t kReplayTicksMaximum = 60 * 60 * 60;

// What one tick of a round saw, after input sampling.
enum ReplayTickFlag : uint8_t {
  kReplayPointerDown = 1,  // the finger (mouse button, touch) is down
  kReplayFocusLost = 2,    // the window lost the focus during this tick
  kReplayWindowAway = 4,   // the window is away (unfocused/minimised)
  kReplayPadRemoved = 8,   // the pad in play was pulled out during this tick
};
constexpr uint8_t kReplayTickFlagsKnown = 15;
// The start record's own flag: keys were in play as the round began.
constexpr uint8_t kReplayStartKeysInPlay = 16;
constexpr uint8_t kReplayStartFlagsKnown = 31;

struct ReplayTick {
  uint8_t flags;  // ReplayTickFlag bits (bits 4-7 must be 0: a reader refuses others as damaged)
  int16_t x, y;   // the finger's position in 1/16 of a virtual unit (screen is 1024 x 576 units)
  uint32_t keys;  // bit i: the i-th of the game's keys is held (the game defines the list; all 32 bits valid)
};
bool operator==(const ReplayTick& a, const ReplayTick& b);

struct Replay {
  uint32_t rulesVersion = 0;
  char programVersion[kReplayProgramVersionSize] = {};  // NUL-terminated text
  uint32_t seed = 0;
  int32_t score = 0;   // the score at the round's end (0 to 99999999)
  int32_t plates = 0;  // plates served (>= 0)
  // The input as the round found it (sampled in the tick before it); its
  // flags may also hold kReplayStartKeysInPlay.
  ReplayTick start = {};
  std::vector<ReplayTick> ticks;
  std::vector<uint32_t> checksums;  // checksums[k]: the round's state after tick (k+1)*60; size == ticks/60
  // The format a read file has (set by DecodeReplay; written files always
  // have kReplayFormatVersion).
  uint32_t formatVersion = kReplayFormatVersion;
};
bool operator==(const Replay& a, const Replay& b);

enum class ReplayReadResult : int32_t {
  kOk = 0,
  kNotAReplay = 1,
  kTruncated = 2,
  kDamaged = 3,
  kOtherFormat = 4,
  kOtherRules = 5
};

// The file's bytes; empty when the replay breaks a rule a reader checks (a
// score outside 0..99999999, negative plates, more than an hour of ticks,
// checksums not one per 60 ticks, unknown flag bits, a program version of
// more than 31 bytes or with control characters).
std::vector<uint8_t> EncodeReplay(const Replay& replay);
// Fills *out only as far as it can; on kOtherRules out->rulesVersion and
// programVersion are set (to say which), on kOtherFormat out->formatVersion.
ReplayReadResult DecodeReplay(const uint8_t* data, size_t size, uint32_t rulesVersion, Replay* out);
// One line (no newline) for a result, naming the file, e.g.
// "replay: FILE has format 7; this program reads format 1".
std::string ReplayReadMessage(ReplayReadResult result, const char* fileName, const Replay& replay,
                              uint32_t rulesVersion);
// The CRC-32 (IEEE 802.3, as zlib's) of size bytes.
uint32_t ReplayCrc32(const uint8_t* data, size_t size);
