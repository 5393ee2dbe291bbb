// Sound effects heard through OpenAL Soft's wave writer: level and length,
// restart instead of a second voice, looping until stopped, the buffer format
// chosen from the file, and handles that end up zeroed.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

constexpr float kToneAmplitude = 0.5f;
constexpr float kHeardThreshold = 0.05f;

std::string TonePath(const char* name) { return TestTempDir() + "/" + name; }

struct Heard {
  double seconds;  // from the first to the last audible sample
  float peak;
  WaveClip clip;
  size_t onset;
};

class SoundEffectTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ConfigureTestAudio("wave");
    WriteBytes(TonePath("effect.ogg"), EncodeOggVorbis(SineTone(1, 44100, 0.3, 440.0, kToneAmplitude)));
    WriteBytes(TonePath("mono22k.ogg"), EncodeOggVorbis(SineTone(1, 22050, 0.5, 440.0, kToneAmplitude)));
    // Left channel only, so a stereo buffer shows by where it is heard.
    WriteBytes(TonePath("stereo.ogg"), EncodeOggVorbis(SineTone(2, 44100, 0.3, 440.0, kToneAmplitude, 1u)));
    WriteBytes(TonePath("three.ogg"), EncodeOggVorbis(SineTone(3, 44100, 0.3, 440.0, kToneAmplitude)));
  }

  // Runs the script on a fresh wave device and returns what it mixed.
  static Heard Listen(const std::function<void()>& script) {
    Heard heard{0.0, 0.0f, {}, SIZE_MAX};
    if (!OpenTestAudioDevice()) {
      ADD_FAILURE() << "no wave device";
      return heard;
    }
    script();
    CloseTestAudioDevice();
    heard.clip = ReadWave(CapturedWavePath());
    heard.onset = FindOnset(heard.clip, kHeardThreshold);
    size_t last = FindLastAbove(heard.clip, kHeardThreshold);
    if (heard.onset == SIZE_MAX || heard.clip.rate == 0) return heard;
    heard.seconds = static_cast<double>(last - heard.onset) / heard.clip.rate;
    for (int c = 0; c < heard.clip.channels; ++c)
      heard.peak = std::fmax(heard.peak, PeakLevel(heard.clip, c, 0, heard.clip.Frames()));
    return heard;
  }
};

TEST_F(SoundEffectTest, PlayRestartAndLoopAreHeardForTheRightTime) {
  // Each script returns how long the sound should have been heard, timed by
  // the device's own clock (what it has mixed), never by the wall's.
  struct Case {
    const char* name;
    std::function<double(Sound*)> script;
  };
  const Case cases[] = {
      {"plays once for its length", [](Sound* s) { PlaySound(s); WaitMixed(0.6); return 0.3; }},
      // A second voice would end 0.3 s after the first play and sound twice as
      // loud while both play.
      {"playing again restarts it",
       [](Sound* s) {
         PlaySound(s);
         double first = MixedSeconds();
         WaitMixed(0.1);
         double gap = MixedSeconds() - first;
         PlaySound(s);
         WaitMixed(0.6);
         return gap + 0.3;
       }},
      {"loop repeats until stopped",
       [](Sound* s) {
         SetSoundLoop(s, 1);
         PlaySound(s);
         double start = MixedSeconds();
         WaitMixed(0.8);
         StopSound(s);
         double heard = MixedSeconds() - start;
         WaitMixed(0.3);
         return heard;
       }},
      {"loop set while playing waits for the next play",
       [](Sound* s) { PlaySound(s); WaitMixed(0.05); SetSoundLoop(s, 1); WaitMixed(0.6); return 0.3; }},
      {"stop silences at once",
       [](Sound* s) {
         PlaySound(s);
         double start = MixedSeconds();
         WaitMixed(0.15);
         StopSound(s);
         double heard = MixedSeconds() - start;
         WaitMixed(0.3);
         return heard;
       }},
  };
  float singlePeak = 0.0f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double expected = 0.0;
    Heard heard = Listen([&] {
      Sound sound{};
      ASSERT_EQ(LoadSoundEffect(&sound, TonePath("effect.ogg").c_str()), 0);
      expected = c.script(&sound);
      EXPECT_EQ(ReleaseSound(&sound), 0);
    });
    ASSERT_NE(heard.onset, SIZE_MAX);
    EXPECT_NEAR(heard.seconds, expected, 0.05);
    if (singlePeak == 0.0f) singlePeak = heard.peak;
    EXPECT_NEAR(heard.peak, singlePeak, 0.1f * singlePeak);
  }
  // A mono tone is panned (centre, behind the listener) but not attenuated by
  // distance: the sources sit inside their reference distance.
  EXPECT_GT(singlePeak, 0.15f);
  EXPECT_LT(singlePeak, kToneAmplitude * 1.1f);
}

TEST_F(SoundEffectTest, BufferFormatFollowsTheFile) {
  Sound mono{};
  Sound stereo{};
  Sound three{};
  Heard heard = Listen([&] {
    ASSERT_EQ(LoadSoundEffect(&mono, TonePath("mono22k.ogg").c_str()), 0);
    EXPECT_EQ(mono.size.load(), 22050);
    EXPECT_EQ(AlBufferChannels(mono.buffer), 1);
    EXPECT_EQ(AlBufferBits(mono.buffer), 16);
    ASSERT_EQ(LoadSoundEffect(&stereo, TonePath("stereo.ogg").c_str()), 0);
    EXPECT_EQ(AlBufferChannels(stereo.buffer), 2);
    EXPECT_EQ(AlBufferBits(stereo.buffer), 16);
    EXPECT_EQ(LoadSoundEffect(&three, TonePath("three.ogg").c_str()), 1);
    EXPECT_EQ(three.source.load(), 0u);
    EXPECT_EQ(LoadSoundEffect(&three, TonePath("missing.ogg").c_str()), 1);
    EXPECT_EQ(three.source.load(), 0u);
    // The stereo tone first, then the mono one once it has ended.
    PlaySound(&stereo);
    WaitMixed(0.5);
    PlaySound(&mono);
    WaitMixed(0.7);
    ReleaseSound(&mono);
    ReleaseSound(&stereo);
  });
  ASSERT_NE(heard.onset, SIZE_MAX);
  const WaveClip& clip = heard.clip;
  size_t rate = static_cast<size_t>(clip.rate);
  size_t stereoMiddle = heard.onset + rate * 15 / 100;
  // Stereo is not panned: the tone arrives at its full level.
  EXPECT_NEAR(PeakLevel(clip, 0, stereoMiddle, rate / 20), kToneAmplitude, 0.05f);
  EXPECT_LT(PeakLevel(clip, 1, stereoMiddle, rate / 20), 0.01f);
  // The mono tone is heard for 0.5 s: read as 8-bit or stereo it would not be.
  size_t monoOnset = FindOnset(clip, kHeardThreshold, heard.onset + rate * 4 / 10);
  ASSERT_NE(monoOnset, SIZE_MAX);
  size_t monoEnd = FindLastAbove(clip, kHeardThreshold);
  EXPECT_NEAR(static_cast<double>(monoEnd - monoOnset) / clip.rate, 0.5, 0.03);
  EXPECT_NEAR(ZeroCrossingFrequency(clip, 0, monoOnset + rate / 10, rate / 5), 440.0, 15.0);
  EXPECT_GT(PeakLevel(clip, 1, monoOnset + rate / 10, rate / 20), 0.15f);
}

TEST_F(SoundEffectTest, ReleasedAndZeroedHandlesStayHarmless) {
  Listen([] {
    Sound sound{};
    EXPECT_EQ(ReleaseSound(&sound), 0);
    PlaySound(&sound);
    StopSound(&sound);
    SetSoundGain(&sound, 0.5f);
    EXPECT_EQ(GetSoundOffset(&sound), 0);
    ASSERT_EQ(LoadSoundEffect(&sound, TonePath("effect.ogg").c_str()), 0);
    EXPECT_NE(sound.source.load(), 0u);
    PlaySound(&sound);
    EXPECT_TRUE(AlSourceIsPlaying(sound.source));
    EXPECT_EQ(ReleaseSound(&sound), 0);
    const int32_t words[] = {sound.kind, static_cast<int32_t>(sound.source), static_cast<int32_t>(sound.buffer),
                             sound.size, sound.loop, sound.command, sound.position, sound.playing};
    for (int32_t word : words) EXPECT_EQ(word, 0);
    EXPECT_EQ(ReleaseSound(&sound), 0);
    EXPECT_EQ(CreateSoundSource(&sound, nullptr, 16, 1, 44100), 1);
    const int16_t pcm[8] = {};
    EXPECT_EQ(CreateSoundSource(&sound, pcm, sizeof pcm, 7, 44100), 1);
    EXPECT_EQ(sound.source.load(), 0u);
  });
}

}  // namespace
