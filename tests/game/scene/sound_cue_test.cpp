// Sound cues reach files by bare name under ./contents and forward to the
// engine: loading, the music pattern of a scene switch, and missing files.
#include "game/scene/sound_cue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

class SoundCueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ConfigureTestAudio("null");
    // A contents folder of its own, made the current directory's.
    std::string root = TestTempDir();
    mkdir((root + "/contents").c_str(), 0755);
    WriteBytes(root + "/contents/SE_test.ogg", EncodeOggVorbis(SineTone(1, 22050, 0.2, 440.0, 0.5f)));
    WriteBytes(root + "/contents/BGM_one.ogg", EncodeOggVorbis(SineTone(2, 44100, 0.5, 300.0, 0.5f)));
    WriteBytes(root + "/contents/BGM_two.ogg", EncodeOggVorbis(SineTone(2, 44100, 0.5, 500.0, 0.5f)));
    ASSERT_EQ(chdir(root.c_str()), 0);
    ASSERT_TRUE(OpenTestAudioDevice());
  }
  static void TearDownTestSuite() { CloseTestAudioDevice(); }
};

TEST_F(SoundCueTest, EffectsLoadByBareNameAndPlayOneVoice) {
  Sound effect{};
  ASSERT_EQ(SoundCue::LoadSe(&effect, "SE_test.ogg"), 0);
  SoundCue::Play(&effect);
  SoundCue::Play(&effect);
  EXPECT_TRUE(AlSourceIsPlaying(effect.source));
  SoundCue::Stop(&effect);
  EXPECT_FALSE(AlSourceIsPlaying(effect.source));
  SoundCue::SetLoop(&effect, 5);
  EXPECT_EQ(effect.loop.load(), 1);
  SoundCue::Release(&effect);
  EXPECT_EQ(effect.source.load(), 0u);

  Sound missing{};
  EXPECT_EQ(SoundCue::LoadSe(&missing, "SE_none.ogg"), 1);
  EXPECT_EQ(SoundCue::LoadBgm(&missing, "BGM_none.ogg"), 1);
  SoundCue::Play(&missing);
  SoundCue::Release(&missing);
}

TEST_F(SoundCueTest, SceneSwitchReleasesOneMusicBeforeTheNextLoads) {
  Sound game{};
  ASSERT_EQ(SoundCue::LoadBgm(&game, "BGM_one.ogg"), 0);
  SoundCue::SetLoop(&game, 1);
  SoundCue::Play(&game);
  Sound clear{};
  // Only one stream runs at a time: the next loads once the last is released.
  EXPECT_EQ(SoundCue::LoadBgm(&clear, "BGM_two.ogg"), 1);
  SoundCue::Release(&game);
  ASSERT_EQ(SoundCue::LoadBgm(&clear, "BGM_two.ogg"), 0);
  SoundCue::Play(&clear);
  SoundCue::SetLoop(&clear, 1);
  EXPECT_EQ(clear.loop.load(), 1);
  SoundCue::Release(&clear);
  EXPECT_EQ(clear.kind.load(), 0);
}

}  // namespace
