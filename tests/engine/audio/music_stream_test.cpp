// Streamed music heard through OpenAL Soft's wave writer. The test track is
// four half-second tone steps (300, 500, 700, 900 Hz), so the frequency heard
// at any moment tells where in the track the stream is. Every test runs twice:
// fed by the music thread, and fed by main-loop passes 60 times a second as
// where there are no threads (a browser page).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

constexpr float kHeardThreshold = 0.05f;
constexpr double kSegmentSeconds = 0.5;
constexpr double kTrackSeconds = 2.0;

using Clock = std::chrono::steady_clock;

// A main-loop pass's pace at 60 frames a second.
constexpr auto kPassPeriod = std::chrono::microseconds(16667);

// True while the test's parameter has the passes feed the music.
bool fedByPasses = false;

// Lets time pass: the music thread feeds the stream by itself; otherwise
// each pass of a 60 Hz main loop refills it.
void Wait(double seconds) {
  if (!fedByPasses) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return;
  }
  Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
  for (Clock::time_point pass = Clock::now(); pass < end; pass += kPassPeriod) {
    RefillMusicFromFrame();
    std::this_thread::sleep_until(pass + kPassPeriod);
  }
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string TrackPath(const char* name) { return TestTempDir() + "/" + name; }

WaveClip Listen(const std::function<void()>& script) {
  if (!OpenTestAudioDevice()) {
    ADD_FAILURE() << "no wave device";
    return WaveClip{};
  }
  script();
  CloseTestAudioDevice();
  return ReadWave(CapturedWavePath());
}

size_t At(const WaveClip& clip, size_t onset, double seconds) {
  return onset + static_cast<size_t>(seconds * clip.rate);
}

// The step frequency heard in a 40 ms window starting `seconds` after onset.
double HeardAt(const WaveClip& clip, size_t onset, double seconds) {
  return ZeroCrossingFrequency(clip, 0, At(clip, onset, seconds), static_cast<size_t>(0.04 * clip.rate));
}

// The parameter: true for the passes' feed, false for the music thread.
class MusicStreamTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fedByPasses = GetParam();
    SetMusicFedByPasses(fedByPasses ? 1 : 0);
  }
  void TearDown() override {
    SetMusicFedByPasses(-1);
    fedByPasses = false;
  }

  static void SetUpTestSuite() {
    ConfigureTestAudio("wave");
    WriteBytes(TrackPath("steps.ogg"),
               EncodeOggVorbis(SteppedTone(2, 44100, kSegmentSeconds, {300.0, 500.0, 700.0, 900.0}, 0.5f)));
    WriteBytes(TrackPath("three.ogg"), EncodeOggVorbis(SineTone(3, 44100, 0.3, 440.0, 0.5f)));
  }
};

TEST_P(MusicStreamTest, LoopingMusicStartsAtTheTopAndJoinsWithoutAGap) {
  WaveClip clip = Listen([] {
    Sound music{};
    ASSERT_EQ(LoadMusic(&music, TrackPath("steps.ogg").c_str()), 0);
    EXPECT_EQ(music.kind.load(), 2);
    SetSoundLoop(&music, 1);
    PlaySound(&music);
    Wait(kTrackSeconds + 0.7);
    ReleaseSound(&music);
  });
  size_t onset = FindOnset(clip, kHeardThreshold);
  ASSERT_NE(onset, SIZE_MAX);
  const double expected[][2] = {{0.1, 300}, {0.75, 500}, {1.25, 700}, {1.75, 900}, {2.1, 300}, {2.4, 300}};
  for (const auto& row : expected) EXPECT_NEAR(HeardAt(clip, onset, row[0]), row[1], 30.0) << "at " << row[0] << " s";
  // No gap anywhere up to well past the joint: every 5 ms window carries the tone.
  size_t window = clip.rate / 200;
  for (size_t f = onset; f + window < At(clip, onset, 2.5); f += window)
    ASSERT_GT(RmsLevel(clip, 0, f, window), 0.1f) << "quiet at " << (f - onset) / double(clip.rate) << " s";
  // No click at the joint: the steps stay those of a 900 Hz tone or gentler.
  EXPECT_LT(LargestStep(clip, 0, At(clip, onset, 1.9), clip.rate / 5), 0.1f);
}

TEST_P(MusicStreamTest, MusicWithoutLoopStopsEarlyAndStartsOverOnPlay) {
  WaveClip clip = Listen([] {
    Sound music{};
    ASSERT_EQ(LoadMusic(&music, TrackPath("steps.ogg").c_str()), 0);
    PlaySound(&music);
    Wait(kTrackSeconds + 0.3);
    EXPECT_FALSE(AlSourceIsPlaying(music.source));
    EXPECT_EQ(AlSourceQueued(music.source), 0);
    PlaySound(&music);
    Wait(0.3);
    ReleaseSound(&music);
  });
  size_t onset = FindOnset(clip, kHeardThreshold);
  ASSERT_NE(onset, SIZE_MAX);
  // The decoder reaches the end about 1.1 s (48 chunks) ahead of the ear, and
  // what is still queued then is dropped.
  size_t end = onset;
  size_t window = clip.rate / 100;
  while (end + window < clip.Frames() && RmsLevel(clip, 0, end, window) > 0.02f) end += window;
  double heard = static_cast<double>(end - onset) / clip.rate;
  EXPECT_GT(heard, 0.6);
  EXPECT_LT(heard, 1.2);
  EXPECT_NEAR(HeardAt(clip, onset, 0.2), 300.0, 30.0);
  EXPECT_NEAR(HeardAt(clip, onset, 0.6), 500.0, 30.0);
  size_t again = FindOnset(clip, kHeardThreshold, end + clip.rate / 5);
  ASSERT_NE(again, SIZE_MAX);
  EXPECT_NEAR(HeardAt(clip, again, 0.1), 300.0, 30.0);
}

TEST_P(MusicStreamTest, PlayWhilePlayingAndStopThenPlayRestartFromTheTop) {
  struct Case {
    const char* name;
    bool stopFirst;
  };
  const Case cases[] = {{"play while playing", false}, {"stop, then play", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WaveClip clip = Listen([&] {
      Sound music{};
      ASSERT_EQ(LoadMusic(&music, TrackPath("steps.ogg").c_str()), 0);
      SetSoundLoop(&music, 1);
      PlaySound(&music);
      Wait(0.75);
      if (c.stopFirst) {
        StopSound(&music);
        Wait(0.3);
      }
      PlaySound(&music);
      Wait(0.6);
      ReleaseSound(&music);
    });
    size_t onset = FindOnset(clip, kHeardThreshold);
    ASSERT_NE(onset, SIZE_MAX);
    EXPECT_NEAR(HeardAt(clip, onset, 0.6), 500.0, 30.0);
    size_t restart = At(clip, onset, 0.75);
    if (c.stopFirst) {
      EXPECT_LT(RmsLevel(clip, 0, At(clip, onset, 0.85), clip.rate / 10), 0.01f);
      restart = FindOnset(clip, kHeardThreshold, At(clip, onset, 0.9));
      ASSERT_NE(restart, SIZE_MAX);
    }
    // Carried on, the track would be at 500 then 700 Hz here.
    EXPECT_NEAR(HeardAt(clip, restart, 0.2), 300.0, 30.0);
    EXPECT_NEAR(HeardAt(clip, restart, 0.4), 300.0, 30.0);
  }
}

TEST_P(MusicStreamTest, LoadAndReleaseArePromptAndFailuresLeaveNothing) {
  WaveClip clip = Listen([] {
    struct Case {
      const char* name;
      std::string path;
    };
    const Case refused[] = {
        {"missing file", TrackPath("missing.ogg")},
        {"three channels", TrackPath("three.ogg")},
        {"path of 264 bytes", std::string(263, 'a') + "b"},
        {"path of 300 bytes", std::string(300, 'a')},
    };
    for (const Case& c : refused) {
      SCOPED_TRACE(c.name);
      Sound music{};
      Clock::time_point start = Clock::now();
      EXPECT_EQ(LoadMusic(&music, c.path.c_str()), 1);
      EXPECT_LT(SecondsSince(start), 0.1);
      EXPECT_EQ(music.source.load(), 0u);
      start = Clock::now();
      EXPECT_EQ(ReleaseSound(&music), 0);
      EXPECT_LT(SecondsSince(start), 0.02);
    }
    // Loaded but never played: silent, and ended within a poll or two.
    Sound music{};
    ASSERT_EQ(LoadMusic(&music, TrackPath("steps.ogg").c_str()), 0);
    Sound second{};
    EXPECT_EQ(LoadMusic(&second, TrackPath("steps.ogg").c_str()), 1) << "only one stream at a time";
    Wait(0.3);
    Clock::time_point start = Clock::now();
    ReleaseSound(&music);
    EXPECT_LT(SecondsSince(start), 0.05);
    EXPECT_EQ(music.kind.load(), 0);
    EXPECT_EQ(music.source.load(), 0u);
    EXPECT_EQ(ReleaseSound(&music), 0);
  });
  EXPECT_EQ(FindOnset(clip, kHeardThreshold), SIZE_MAX);

  Listen([] {
    Sound music{};
    ASSERT_EQ(LoadMusic(&music, TrackPath("steps.ogg").c_str()), 0);
    PlaySound(&music);
    Wait(0.2);
    Clock::time_point start = Clock::now();
    ReleaseSound(&music);
    EXPECT_LT(SecondsSince(start), 0.05);
  });
}

TEST_P(MusicStreamTest, TracksInDeepFoldersStreamUntilThePathBufferIsFull) {
  // A real track at paths of each length: an installed contents folder may
  // sit deep in the file system; a path that would not fit is refused, never
  // cut to name another file.
  struct Case {
    size_t pathLength;
    int32_t result;
  };
  const Case cases[] = {{127, 0}, {200, 0}, {263, 0}, {264, 1}};
  std::vector<uint8_t> track = EncodeOggVorbis(SineTone(2, 44100, 0.2, 440.0, 0.5f));
  Listen([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.pathLength);
      std::string folder = TestTempDir() + "/deep";
      const std::string name = "/t.ogg";
      ASSERT_LT(folder.size() + name.size(), c.pathLength);
      folder += "/" + std::string(c.pathLength - folder.size() - name.size() - 1, 'd');
      std::string path = folder + name;
      ASSERT_EQ(path.size(), c.pathLength);
      std::filesystem::create_directories(folder);
      ASSERT_TRUE(WriteBytes(path, track));
      Sound music{};
      EXPECT_EQ(LoadMusic(&music, path.c_str()), c.result);
      ReleaseSound(&music);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Feeds, MusicStreamTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "MainLoopPasses" : "MusicThread";
                         });

}  // namespace
