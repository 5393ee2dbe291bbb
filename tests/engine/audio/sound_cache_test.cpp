// Sound effects loaded by several owners at once: one OpenAL buffer for all,
// a source for each (so each starts and stops on its own), every handle
// zeroed on release, the buffer gone with its last owner.
#include "engine/audio/sound_cache.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/audio/sound.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

ALint SourceState(uint32_t source) {
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

bool Zeroed(const Sound& s) {
  return s.kind == 0 && s.source == 0 && s.buffer == 0 && s.size == 0 && s.loop == 0 &&
         s.command == 0 && s.position == 0 && s.playing == 0;
}

TEST(SoundSharing, OwnersShareOneBufferAndKeepTheirOwnSources) {
  ConfigureTestAudio("null");
  ASSERT_TRUE(OpenTestAudioDevice());
  const std::string path = TestTempDir() + "/shared.ogg";
  ASSERT_TRUE(WriteBytes(path, EncodeOggVorbis(SineTone(1, 22050, 1.0, 440.0, 0.5f))));

  Sound first{}, second{}, third{};
  ASSERT_EQ(LoadSoundEffect(&first, path.c_str()), 0);
  ASSERT_EQ(LoadSoundEffect(&second, path.c_str()), 0);
  EXPECT_EQ(second.buffer, first.buffer);
  EXPECT_EQ(second.size, first.size);
  EXPECT_NE(second.source, first.source);
  EXPECT_EQ(SoundCacheSize(), 1);

  // Each owner starts and stops its own voice.
  SetSoundLoop(&first, 1);
  PlaySound(&first);
  PlaySound(&second);
  StopSound(&second);
  EXPECT_EQ(SourceState(first.source), AL_PLAYING);
  EXPECT_EQ(SourceState(second.source), AL_STOPPED);

  // Releasing one owner while the other plays: its handle is zeroed, the
  // other goes on with the buffer.
  const uint32_t buffer = first.buffer;
  const uint32_t playingSource = first.source;
  EXPECT_EQ(ReleaseSound(&second), 0);
  EXPECT_TRUE(Zeroed(second));
  EXPECT_EQ(ReleaseSound(&second), 0);
  EXPECT_TRUE(alIsBuffer(buffer));
  EXPECT_EQ(SourceState(playingSource), AL_PLAYING);

  // The last owner's release deletes the buffer; a later load decodes anew.
  EXPECT_EQ(ReleaseSound(&first), 0);
  EXPECT_TRUE(Zeroed(first));
  EXPECT_FALSE(alIsBuffer(buffer));
  EXPECT_EQ(SoundCacheSize(), 0);
  ASSERT_EQ(LoadSoundEffect(&third, path.c_str()), 0);
  EXPECT_TRUE(alIsBuffer(third.buffer));
  EXPECT_EQ(SoundCacheSize(), 1);
  ReleaseSound(&third);
  EXPECT_EQ(SoundCacheSize(), 0);

  // A buffer left held when the device closes is not handed out on the next
  // device: the file is decoded again there.
  Sound leftOver{};
  ASSERT_EQ(LoadSoundEffect(&leftOver, path.c_str()), 0);
  CloseTestAudioDevice();
  ASSERT_TRUE(OpenTestAudioDevice());
  Sound fresh{};
  ASSERT_EQ(LoadSoundEffect(&fresh, path.c_str()), 0);
  EXPECT_TRUE(alIsBuffer(fresh.buffer));
  PlaySound(&fresh);
  EXPECT_EQ(SourceState(fresh.source), AL_PLAYING);
  ReleaseSound(&fresh);
  CloseTestAudioDevice();
}

}  // namespace
