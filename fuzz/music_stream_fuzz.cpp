// Fuzz target for the music stream's reader as the music thread drives it:
// open, read 4096-byte chunks, seek back to the start at each end as looping
// does (the first end restarts at a position instead), and stop on a decode
// error or two ends in a row with no audio. The loop is bounded in passes and
// chunks so one input cannot run for long.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/audio/ogg_stream.h"

namespace {

constexpr int32_t kChunkBytes = 4096;
constexpr int kMaxPasses = 3;
// 4 MiB of PCM: far past any stream this size of input can hold.
constexpr int kMaxChunks = 1024;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "music_stream_fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  OggStream* stream = OggStreamOpenMemory(data, size);
  if (stream == nullptr) return 0;
  int32_t channels = OggStreamChannels(stream);
  int32_t rate = OggStreamRate(stream);
  Require(channels == 1 || channels == 2, "opened a stream of other than 1 or 2 channels");
  Require(rate > 0, "opened a stream without a rate");
  Require(OggStreamFrames(stream) >= 0 && OggStreamSeconds(stream) >= 0.0, "negative length");
  // The music thread refuses a stream with no frames before reading.
  if (OggStreamFrames(stream) <= 0) {
    OggStreamClose(stream);
    return 0;
  }

  static uint8_t chunk[kChunkBytes];
  int32_t frameBytes = channels * 2;
  int passes = 0;
  int emptyEnds = 0;
  for (int i = 0; i < kMaxChunks && passes < kMaxPasses; ++i) {
    int32_t n = OggStreamRead(stream, chunk, kChunkBytes);
    if (n < 0) break;
    if (n == 0) {
      // The first end restarts a third of the way in, as a restart at a
      // position does; later ends loop back to the start.
      OggStreamSeek(stream, passes == 0 ? OggStreamFrames(stream) / 3 : 0);
      ++passes;
      if (++emptyEnds >= 2) break;
      continue;
    }
    emptyEnds = 0;
    Require(n <= kChunkBytes, "read more than the chunk holds");
    Require(n % frameBytes == 0, "read a partial frame");
  }
  OggStreamClose(stream);
  return 0;
}
