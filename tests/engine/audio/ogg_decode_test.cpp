// The whole-file decoder against the published Vorbis corpus and against tones
// made here: channels, rate and exact length of every valid file, refusals of
// what cannot be played, and no leaked file or crash on damaged input.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/test_data.h"

namespace {

std::string Corpus(const std::string& name) {
  return TestDataDir() + "/vorbis/" + name;
}

int OpenFileCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(Corpus(folder).c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 4 && name.substr(name.size() - 4) == ".ogg") names.push_back(folder + "/" + name);
    }
    closedir(dir);
  }
  return names;
}

int32_t DecodePath(const std::string& path, PcmData* pcm) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return -1;
  return DecodeOggFile(file, pcm);
}

}  // namespace

TEST(OggDecode, ValidCorpusFilesDecodeExactly) {
  struct Case {
    const char* name;
    int channels;
    int rate;
    int frames;
  };
  // Frame counts from the corpus notes; 1- and 2-channel files only (others below).
  const Case cases[] = {
      {"basic/8khz_500ms_mono_400hz_sine_wave.ogg", 1, 8000, 4000},
      {"basic/cow.ogg", 1, 11025, 17280},
      {"basic/impulses_1second_22050.ogg", 1, 22050, 220500},
      {"basic/impulses_1second_22050_st.ogg", 2, 22050, 220500},
      {"basic/impulses_1second_44100.ogg", 1, 44100, 441000},
      {"basic/impulses_1second_44100_st.ogg", 2, 44100, 441000},
      {"basic/impulses_1second_48000.ogg", 1, 48000, 480000},
      {"basic/impulses_1second_48000_st.ogg", 2, 48000, 480000},
      {"basic/48k-mono.ogg", 1, 48000, 515234},
      {"basic/square.ogg", 1, 4000, 40},
      {"basic/square-stereo.ogg", 2, 4000, 20},
      {"basic/noise-stereo.ogg", 2, 44100, 512},
      {"basic/44100hz_500ms_stereo_400hz_sine_wave_aotuv.ogg", 2, 44100, 22050},
      {"basic/44100hz_500ms_stereo_uncoupled_400hz_sine_wave.ogg", 2, 44100, 22050},
      {"basic/RL.ogg", 2, 44100, 1207662},
      {"basic/oggvorbis-test.ogg", 1, 44100, 44100},
      {"basic/rc3-test.ogg", 2, 44100, 934732},
      {"basic/lsp-test.ogg", 2, 44100, 874606},
      {"basic/thingy.ogg", 1, 44100, 6602752},
      {"basic/sketch008.ogg", 2, 44100, 6298419},
      // Opens past its first samples; the decoder reads from the true start.
      {"edge/test-short.ogg", 2, 44100, 59392},
      {"edge/eof_issue.ogg", 2, 44100, 72384},
      {"edge/large-pages.ogg", 1, 44100, 1492},
      {"edge/split-packet.ogg", 1, 44100, 1492},
  };
  int filesBefore = OpenFileCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PcmData pcm{};
    ASSERT_EQ(DecodePath(Corpus(c.name), &pcm), 0);
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.rate, c.rate);
    EXPECT_EQ(pcm.size, c.frames * c.channels * 2);
    EXPECT_EQ(pcm.blockAlign, c.channels * 2);
    EXPECT_EQ(pcm.bytesPerSecond, c.channels * c.rate * 2);
    EXPECT_EQ(pcm.bitsPerSample, 16);
    FreePcmData(&pcm);
    EXPECT_EQ(pcm.data, nullptr);
    EXPECT_EQ(pcm.size, 0);
  }
  EXPECT_EQ(OpenFileCount(), filesBefore);
}

TEST(OggDecode, SamplesLandAtTheirPositions) {
  // Impulses sit at exactly k * rate frames, k = 1..9, on every channel.
  PcmData pcm{};
  ASSERT_EQ(DecodePath(Corpus("basic/impulses_1second_44100_st.ogg"), &pcm), 0);
  const int16_t* samples = reinterpret_cast<const int16_t*>(pcm.data);
  int frames = pcm.size / pcm.blockAlign;
  std::vector<int> peaks;
  for (int f = 0; f < frames; ++f)
    if (samples[f * 2] > 16000 && samples[f * 2 + 1] > 16000) peaks.push_back(f);
  std::vector<int> expected;
  for (int k = 1; k <= 9; ++k) expected.push_back(k * 44100);
  EXPECT_EQ(peaks, expected);
  FreePcmData(&pcm);
}

TEST(OggDecode, RefusedStreamsReturnOneAndCloseTheirFile) {
  std::string dir = TestTempDir();
  std::vector<uint8_t> threeChannels = EncodeOggVorbis(SineTone(3, 44100, 0.2, 440.0, 0.5f));
  std::vector<uint8_t> absurdRate = EncodeOggVorbis(SineTone(2, 44100, 0.2, 440.0, 0.5f));
  ASSERT_TRUE(PatchSampleRate(absurdRate, 2000000000u));
  ASSERT_TRUE(WriteBytes(dir + "/three.ogg", threeChannels));
  ASSERT_TRUE(WriteBytes(dir + "/absurd.ogg", absurdRate));
  ASSERT_TRUE(WriteBytes(dir + "/empty.ogg", {}));
  ASSERT_TRUE(WriteBytes(dir + "/text.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g'}));
  const std::string refused[] = {
      dir + "/three.ogg",
      dir + "/absurd.ogg",
      dir + "/empty.ogg",
      dir + "/text.ogg",
      Corpus("basic/6ch-moving-sine.ogg"),
      Corpus("basic/6ch-moving-sine-floor0.ogg"),
      Corpus("basic/noise-6ch.ogg"),
      Corpus("basic/44100hz_500ms_6ch_sine_waves.ogg"),
      Corpus("edge/6ch-all-page-types.ogg"),
      // Headers but no audio: nothing to play.
      Corpus("edge/zero-length.ogg"),
      Corpus("edge/empty.ogg"),
  };
  int filesBefore = OpenFileCount();
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    PcmData pcm{};
    EXPECT_EQ(DecodePath(path, &pcm), 1);
    EXPECT_EQ(pcm.data, nullptr);
    EXPECT_EQ(pcm.size, 0);
  }
  EXPECT_EQ(OpenFileCount(), filesBefore);
  PcmData pcm{};
  EXPECT_EQ(DecodeOggFile(nullptr, &pcm), 1);
}

TEST(OggDecode, DamagedAndUnusualFilesNeverCrashOrLeak) {
  // Each either is refused or decodes whole frames within its promised length.
  std::vector<std::string> files = FilesIn("corrupt");
  for (const std::string& name : FilesIn("chained")) files.push_back(name);
  for (const std::string& name : FilesIn("edge")) files.push_back(name);
  ASSERT_GT(files.size(), 40u);
  int filesBefore = OpenFileCount();
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    PcmData pcm{};
    int32_t result = DecodePath(Corpus(name), &pcm);
    ASSERT_TRUE(result == 0 || result == 1);
    if (result == 0) {
      EXPECT_TRUE(pcm.channels == 1 || pcm.channels == 2);
      EXPECT_GT(pcm.size, 0);
      EXPECT_EQ(pcm.size % pcm.blockAlign, 0);
      EXPECT_NE(pcm.data, nullptr);
    } else {
      EXPECT_EQ(pcm.data, nullptr);
    }
    FreePcmData(&pcm);
  }
  EXPECT_EQ(OpenFileCount(), filesBefore);
}

TEST(OggDecode, ChainedLinksOfAnotherFormatAreNotMixedIn) {
  // Stereo then mono: only the stereo link fits a stereo block.
  PcmData pcm{};
  ASSERT_EQ(DecodePath(Corpus("chained/chain-test1.ogg"), &pcm), 0);
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.size, 2062410 * 4);
  FreePcmData(&pcm);
  // Links of one format continue into each other.
  ASSERT_EQ(DecodePath(Corpus("chained/8khz_2x500ms_mono_400hz_sine_wave_chained.ogg"), &pcm), 0);
  EXPECT_EQ(pcm.size, 8096 * 2);
  FreePcmData(&pcm);
}

TEST(OggDecode, MemoryAndFileDecodesAgree) {
  const char* names[] = {"basic/cow.ogg", "basic/square-stereo.ogg", "edge/test-short.ogg", "corrupt/truncated.ogg",
                         "corrupt/bug-42-sample009.ogg"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> bytes = ReadBytes(Corpus(name));
    ASSERT_FALSE(bytes.empty());
    PcmData fromFile{};
    PcmData fromMemory{};
    int32_t fileResult = DecodePath(Corpus(name), &fromFile);
    EXPECT_EQ(DecodeOggMemory(bytes.data(), bytes.size(), &fromMemory), fileResult);
    EXPECT_EQ(fromMemory.size, fromFile.size);
    EXPECT_EQ(fromMemory.channels, fromFile.channels);
    if (fromFile.size > 0 && fromFile.size == fromMemory.size) {
      EXPECT_EQ(std::memcmp(fromFile.data, fromMemory.data, fromFile.size), 0);
    }
    FreePcmData(&fromFile);
    FreePcmData(&fromMemory);
  }
  PcmData pcm{};
  EXPECT_EQ(DecodeOggMemory(nullptr, 0, &pcm), 1);
}

TEST(OggDecode, SynthesisedToneDecodesToItsLength) {
  struct Case {
    int channels;
    int rate;
    double seconds;
    int32_t bytes;
    int32_t code;
  };
  const Case cases[] = {
      {1, 22050, 0.5, 22050, 1},
      {2, 44100, 0.25, 44100, 3},
      {1, 8000, 1.0, 16000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    std::vector<uint8_t> bytes = EncodeOggVorbis(SineTone(c.channels, c.rate, c.seconds, 440.0, 0.5f));
    PcmData pcm{};
    ASSERT_EQ(DecodeOggMemory(bytes.data(), bytes.size(), &pcm), 0);
    EXPECT_EQ(pcm.size, c.bytes);
    EXPECT_EQ(SoundFormatFor(pcm.channels, pcm.bitsPerSample), c.code);
    FreePcmData(&pcm);
  }
}

TEST(OggDecode, FormatCodesFollowChannelsAndBits) {
  const int32_t table[][3] = {{1, 8, 0}, {1, 16, 1}, {2, 8, 2}, {2, 16, 3}, {3, 16, -1}, {0, 16, -1}, {6, 8, -1}};
  for (const auto& row : table) EXPECT_EQ(SoundFormatFor(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}
