// The replay file: rounds written and read back the same (a 90-second drag
// within 8 KB), every cut and every flipped byte refused, and other rules or
// formats named in their messages.
#include "game/scene/replay_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

Replay Round(const char* program, int32_t ticks) {
  Replay replay;
  replay.rulesVersion = 4;
  std::strncpy(replay.programVersion, program, kReplayProgramVersionSize - 1);
  replay.seed = 0xdeadbeef;
  replay.score = 123456;
  replay.plates = 17;
  for (int32_t t = 0; t < ticks; ++t) {
    // A finger dragged on and on in loops over the plate, lifted now and then.
    const double s = t / 60.0;
    const double x = 300 + 150 * std::sin(2.1 * s) + 40 * std::sin(5.3 * s);
    const double y = 290 + 120 * std::cos(1.7 * s) + 30 * std::sin(4.1 * s);
    const uint8_t down = t % 600 < 590 ? kReplayPointerDown : 0;
    replay.ticks.push_back({down, static_cast<int16_t>(std::lround(x * 16)), static_cast<int16_t>(std::lround(y * 16)),
                            t % 300 < 20 ? 5u : 0u});
  }
  for (int32_t k = 0; k < ticks / kReplayChecksumEvery; ++k) replay.checksums.push_back(k * 2654435761u);
  return replay;
}

ReplayReadResult Decode(const std::vector<uint8_t>& bytes, uint32_t rules, Replay* out) {
  return DecodeReplay(bytes.data(), bytes.size(), rules, out);
}

TEST(ReplayFile, RoundsComeBackTheSame) {
  const Replay drag = Round("1.2.3", 5400);
  const std::vector<uint8_t> dragBytes = EncodeReplay(drag);
  EXPECT_LE(dragBytes.size(), 8192u);
  std::printf("a 90-second drag: %zu bytes\n", dragBytes.size());

  Replay edges = Round("a version of exactly 31 bytes..", 121);
  edges.ticks[0] = {kReplayPointerDown | kReplayPadRemoved, INT16_MIN, INT16_MAX, 0xffffffffu};
  edges.ticks[1] = {15, INT16_MAX, INT16_MIN, 0x80000001u};
  edges.ticks[2] = {0, -1, -1, 0};
  edges.score = 99999999;
  edges.seed = 0xffffffffu;
  Replay empty;
  const Replay* replays[] = {&drag, &edges, &empty};
  for (const Replay* replay : replays) {
    Replay back;
    ASSERT_EQ(Decode(EncodeReplay(*replay), replay->rulesVersion, &back), ReplayReadResult::kOk);
    EXPECT_TRUE(back == *replay);
  }

  // What a reader refuses is never written.
  Replay bad = Round("0.9.0", 120);
  for (int c = 0; c < 5; ++c) {
    Replay broken = bad;
    if (c == 0) broken.score = 100000000;
    if (c == 1) broken.plates = -1;
    if (c == 2) broken.checksums.pop_back();
    if (c == 3) broken.ticks[7].flags = 16;
    if (c == 4) broken.programVersion[3] = '\n';
    EXPECT_TRUE(EncodeReplay(broken).empty()) << c;
  }
}

TEST(ReplayFile, CutAndFlippedFilesAreRefused) {
  const std::vector<uint8_t> bytes = EncodeReplay(Round("0.9.0", 130));
  for (size_t size = 0; size < bytes.size(); ++size) {
    Replay out;
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);
    const ReplayReadResult result = Decode(cut, 4, &out);
    EXPECT_TRUE(result == ReplayReadResult::kTruncated || result == ReplayReadResult::kNotAReplay) << size;
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  Replay out;
  EXPECT_EQ(Decode(longer, 4, &out), ReplayReadResult::kDamaged);
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (uint8_t bit = 1; bit != 0; bit <<= 1) {
      std::vector<uint8_t> flipped = bytes;
      flipped[i] ^= bit;
      EXPECT_NE(Decode(flipped, 4, &out), ReplayReadResult::kOk) << i;
    }
  }
  const uint8_t notReplay[] = "TIDEREPX and more";
  EXPECT_EQ(DecodeReplay(notReplay, sizeof notReplay, 4, &out), ReplayReadResult::kNotAReplay);
}

TEST(ReplayFile, OtherRulesAndFormatsAreNamed) {
  const std::vector<uint8_t> bytes = EncodeReplay(Round("0.9.0", 60));
  Replay out;
  ReplayReadResult result = Decode(bytes, 5, &out);
  EXPECT_EQ(result, ReplayReadResult::kOtherRules);
  EXPECT_EQ(ReplayReadMessage(result, "a.replay", out, 5),
            "replay: a.replay was played by rules 4 (program 0.9.0); this program plays rules 5");

  std::vector<uint8_t> other = bytes;
  other[8] = 7;
  result = Decode(other, 4, &out);
  EXPECT_EQ(result, ReplayReadResult::kOtherFormat);
  EXPECT_EQ(ReplayReadMessage(result, "a.replay", out, 4),
            "replay: a.replay has format 7; this program reads format 1");

  const std::pair<ReplayReadResult, const char*> lines[] = {
      {ReplayReadResult::kNotAReplay, "replay: b is not a replay"},
      {ReplayReadResult::kTruncated, "replay: b is cut short"},
      {ReplayReadResult::kDamaged, "replay: b is damaged"},
  };
  for (const auto& line : lines) EXPECT_EQ(ReplayReadMessage(line.first, "b", out, 4), line.second);
  // The CRC is zlib's: the check value of "123456789".
  EXPECT_EQ(ReplayCrc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xcbf43926u);
}

}  // namespace
