// The master volume heard through OpenAL Soft's wave writer: an effect at
// each level, set before the device opens (start-up applies it) or while it
// is open. (A change in the middle of the music, by the M key, is heard in
// tests/e2e/settings_test.sh.)
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <thread>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"
#include "engine/audio/audio_device.h"
#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

constexpr float kToneAmplitude = 0.5f;

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

std::string TonePath() { return TestTempDir() + "/volume_tone.ogg"; }

class MasterVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ConfigureTestAudio("wave");
    WriteBytes(TonePath(), EncodeOggVorbis(SineTone(1, 44100, 0.6, 440.0, kToneAmplitude)));
  }
  void TearDown() override { SetMasterVolume(1.0f); }
};

// Opens the device as start-up does (then calls `opened`), plays the tone
// and returns the captured mix.
template <typename Opened>
WaveClip PlayTone(Opened opened) {
  EXPECT_EQ(OpenAudioDevice(), 0);
  opened();
  Sound sound{};
  EXPECT_EQ(LoadSoundEffect(&sound, TonePath().c_str()), 0);
  PlaySound(&sound);
  Wait(0.8);
  ReleaseSound(&sound);
  ShutdownEngine();
  return ReadWave(CapturedWavePath());
}

TEST_F(MasterVolumeTest, EveryLevelScalesWhatIsHeard) {
  struct Case {
    float volume;
    bool beforeOpen;
  };
  const Case cases[] = {{1.0f, true}, {0.5f, false}, {0.2f, true}, {0.7f, false}, {0.0f, true}, {0.0f, false}};
  float fullPeak = 0.0f;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << (c.beforeOpen ? " set before the device opens" : " set after"));
    SetMasterVolume(c.beforeOpen ? c.volume : 1.0f);
    WaveClip clip = PlayTone([&] {
      if (!c.beforeOpen) SetMasterVolume(c.volume);
    });
    ASSERT_GT(clip.Frames(), 0u);
    float peak = PeakLevel(clip, 0, 0, clip.Frames());
    if (c.volume == 1.0f) fullPeak = peak;
    ASSERT_GT(fullPeak, 0.1f);
    EXPECT_NEAR(peak, c.volume * fullPeak, 0.05f * fullPeak);
    EXPECT_EQ(GetMasterVolume(), c.volume);
  }
}

TEST(MasterVolume, LevelsOutsideTheRangeAreHeldToIt) {
  struct Case {
    float given, kept;
  };
  const Case cases[] = {{2.0f, 1.0f}, {-1.0f, 0.0f}, {std::numeric_limits<float>::quiet_NaN(), 0.0f}, {0.3f, 0.3f}};
  for (const Case& c : cases) {
    SetMasterVolume(c.given);
    EXPECT_EQ(GetMasterVolume(), c.kept) << c.given;
  }
  SetMasterVolume(1.0f);
}

}  // namespace
