// With no audio device at all every sound call is harmless and nothing is
// started: the game runs silent.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

TEST(SoundWithoutDevice, EveryCallIsHarmless) {
  // A driver list that names nothing that opens.
  ConfigureTestAudio("tide_no_such_driver");
  ASSERT_FALSE(OpenTestAudioDevice());
  std::string effectPath = TestTempDir() + "/effect.ogg";
  std::string musicPath = TestTempDir() + "/music.ogg";
  ASSERT_TRUE(WriteBytes(effectPath, EncodeOggVorbis(SineTone(1, 22050, 0.2, 440.0, 0.5f))));
  ASSERT_TRUE(WriteBytes(musicPath, EncodeOggVorbis(SineTone(2, 44100, 1.0, 440.0, 0.5f))));

  Sound effect{};
  EXPECT_EQ(LoadSoundEffect(&effect, effectPath.c_str()), 1);
  Sound music{};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(LoadMusic(&music, musicPath.c_str()), 1);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.05);
  for (Sound* sound : {&effect, &music}) {
    SetSoundLoop(sound, 1);
    PlaySound(sound);
    StopSound(sound);
    SetSoundGain(sound, 0.5f);
    SetSoundPitch(sound, 1.5f);
    SeekSound(sound, 10);
    EXPECT_EQ(GetSoundOffset(sound), 0);
    EXPECT_EQ(ReleaseSound(sound), 0);
    EXPECT_EQ(sound->source.load(), 0u);
    EXPECT_EQ(sound->kind.load(), 0);
  }
  // Decoding needs no device.
  FILE* file = std::fopen(effectPath.c_str(), "rb");
  PcmData pcm{};
  ASSERT_EQ(DecodeOggFile(file, &pcm), 0);
  EXPECT_EQ(pcm.size, 8820);
  FreePcmData(&pcm);
}

}  // namespace
