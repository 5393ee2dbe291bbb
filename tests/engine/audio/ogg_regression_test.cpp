// Inputs that once broke the Ogg Vorbis reader, kept as regression cases, and
// the seek those cases led to: looping back and restarting at a frame must give
// exactly the audio the first pass gave from that frame, on sound and damaged
// streams alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/audio/ogg_stream.h"
#include "support/engine/ogg_synth.h"

namespace {

std::string SourceDir() {
  const char* dir = std::getenv("TIDE_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

// Every byte the stream yields from where it stands, in 4096-byte reads as the
// music thread makes them; stops at the end, an error or a bound.
std::vector<uint8_t> ReadToEnd(OggStream* stream, int32_t* lastResult) {
  std::vector<uint8_t> pcm;
  uint8_t chunk[4096];
  *lastResult = 0;
  for (int i = 0; i < 4096; ++i) {
    int32_t n = OggStreamRead(stream, chunk, sizeof chunk);
    *lastResult = n;
    if (n <= 0) break;
    pcm.insert(pcm.end(), chunk, chunk + n);
  }
  return pcm;
}

struct SeekCase {
  const char* name;
  std::vector<uint8_t> bytes;
};

std::vector<SeekCase> SeekCases() {
  return {
      // Pages spliced from two links overlap and repeat granule positions; the
      // library's bisecting seek back to the start corrupted its packet state.
      {"overlapping_pages_loop", ReadBytes(SourceDir() + "/tests/data/ogg/overlapping_pages_loop.ogg")},
      {"mono_tone", EncodeOggVorbis(SteppedTone(1, 22050, 0.4, {440.0, 660.0, 880.0}, 0.5f))},
      {"stereo_tone", EncodeOggVorbis(SteppedTone(2, 44100, 0.3, {300.0, 500.0, 700.0, 900.0}, 0.5f))},
  };
}

class OggSeekTest : public ::testing::TestWithParam<size_t> {};

// Seeks to a frame and checks the rest of the stream against the first pass.
TEST_P(OggSeekTest, SeekGivesTheFirstPassAudioFromThatFrame) {
  SeekCase c = SeekCases()[GetParam()];
  SCOPED_TRACE(c.name);
  ASSERT_FALSE(c.bytes.empty());
  OggStream* stream = OggStreamOpenMemory(c.bytes.data(), c.bytes.size());
  ASSERT_NE(stream, nullptr);
  int32_t frameBytes = OggStreamChannels(stream) * 2;
  int32_t last = 0;
  std::vector<uint8_t> first = ReadToEnd(stream, &last);
  ASSERT_GE(last, 0);
  int64_t decoded = static_cast<int64_t>(first.size() / frameBytes);
  ASSERT_GT(decoded, 4100);

  // Twice over the same targets: a seek after a seek, as loops and restarts
  // follow each other.
  for (int round = 0; round < 2; ++round) {
    for (int64_t frame : {int64_t{0}, int64_t{1}, int64_t{1023}, int64_t{4097}, decoded / 2, decoded - 1, decoded}) {
      SCOPED_TRACE(frame);
      ASSERT_EQ(OggStreamSeek(stream, frame), 0);
      std::vector<uint8_t> rest = ReadToEnd(stream, &last);
      ASSERT_GE(last, 0);
      ASSERT_EQ(rest.size(), first.size() - frame * frameBytes);
      EXPECT_TRUE(std::equal(rest.begin(), rest.end(), first.begin() + frame * frameBytes));
    }
  }
  // Past the end: refused, and the stream still rewinds afterwards.
  EXPECT_EQ(OggStreamSeek(stream, decoded + 1), 1);
  EXPECT_EQ(OggStreamSeek(stream, -1), 1);
  ASSERT_EQ(OggStreamSeek(stream, 0), 0);
  EXPECT_EQ(ReadToEnd(stream, &last), first);
  OggStreamClose(stream);
}

INSTANTIATE_TEST_SUITE_P(Streams, OggSeekTest, ::testing::Range(size_t{0}, SeekCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(SeekCases()[info.param].name);
                         });

}  // namespace
