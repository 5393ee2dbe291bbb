// Fuzz target for the replay file's reader: any bytes go in, read as they
// are and again with their last four bytes set to the CRC of the rest and
// the rules the file names (so that the body's reader is reached, not only
// the CRC's check).
//  - The reader stays within the bytes and gives one of its results.
//  - A replay read whole is one the writer takes: written and read again it
//    comes back the same, and its checksums are one per 60 ticks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/scene/replay_file.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "replay_file_fuzz: %s\n", what);
  std::abort();
}

void Check(const uint8_t* data, size_t size, uint32_t rulesVersion) {
  Replay replay;
  const ReplayReadResult result = DecodeReplay(data, size, rulesVersion, &replay);
  Require(static_cast<int32_t>(result) >= 0 && static_cast<int32_t>(result) <= 5, "a result out of range");
  Require(!ReplayReadMessage(result, "fuzz.replay", replay, rulesVersion).empty(), "an empty message");
  if (result != ReplayReadResult::kOk) return;
  Require(replay.checksums.size() == replay.ticks.size() / kReplayChecksumEvery, "checksums not one per 60 ticks");
  const std::vector<uint8_t> written = EncodeReplay(replay);
  Require(!written.empty(), "a replay read whole is refused by the writer");
  Replay back;
  Require(DecodeReplay(written.data(), written.size(), rulesVersion, &back) == ReplayReadResult::kOk,
          "a written replay does not read");
  Require(back == replay, "a replay written and read back differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size, 1);
  if (size < 16) return 0;
  std::vector<uint8_t> fixed(data, data + size);
  const uint32_t crc = ReplayCrc32(fixed.data(), size - 4);
  for (int i = 0; i < 4; ++i) fixed[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  const uint32_t rules = static_cast<uint32_t>(data[12]) | static_cast<uint32_t>(data[13]) << 8 |
                         static_cast<uint32_t>(data[14]) << 16 | static_cast<uint32_t>(data[15]) << 24;
  Check(fixed.data(), size, rules);
  return 0;
}
