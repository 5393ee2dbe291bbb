// On OpenAL Soft's null device (sound with no output) effects and music run
// their whole course: load, play, loop, restart and release.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

TEST(SoundOnNullDevice, EffectsAndMusicRunTheirCourse) {
  ConfigureTestAudio("null");
  ASSERT_TRUE(OpenTestAudioDevice());
  std::string effectPath = TestTempDir() + "/effect.ogg";
  std::string musicPath = TestTempDir() + "/music.ogg";
  ASSERT_TRUE(WriteBytes(effectPath, EncodeOggVorbis(SineTone(2, 44100, 0.2, 440.0, 0.5f))));
  ASSERT_TRUE(WriteBytes(musicPath, EncodeOggVorbis(SineTone(1, 22050, 0.5, 440.0, 0.5f))));

  // Twice over: a released stream leaves room for the next one.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Sound effect{};
    Sound music{};
    ASSERT_EQ(LoadSoundEffect(&effect, effectPath.c_str()), 0);
    ASSERT_EQ(LoadMusic(&music, musicPath.c_str()), 0);
    SetSoundLoop(&music, 1);
    PlaySound(&music);
    PlaySound(&effect);
    Wait(0.2);
    EXPECT_TRUE(AlSourceIsPlaying(music.source));
    EXPECT_GT(AlSourceQueued(music.source), 0);
    // A short track loops several times through a full queue.
    Wait(0.6);
    EXPECT_TRUE(AlSourceIsPlaying(music.source));
    PlaySound(&music);
    StopSound(&music);
    EXPECT_EQ(AlSourceQueued(music.source), 0);
    PlaySound(&music);
    EXPECT_EQ(ReleaseSound(&effect), 0);
    EXPECT_EQ(ReleaseSound(&music), 0);
    EXPECT_EQ(music.source.load(), 0u);
  }
  CloseTestAudioDevice();
}

}  // namespace
