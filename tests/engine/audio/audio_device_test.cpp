// A device replaced after a loss, heard through OpenAL Soft's wave writer:
// what was loaded before plays on the new device with its own samples, gain,
// pitch and looping; what was asked for while there was none stays unheard.
// A library with ALC_SOFT_reopen_device reopens the lost device instead.
// (The loss itself, from a real sound server, is tests/e2e/audio_device_test.sh.)
#include "engine/audio/audio_device.h"

#include <AL/al.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "engine/app/app.h"
#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "engine/audio/sound_cache.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/wave_capture.h"

namespace {

// The Windows build's OpenAL Soft (1.24) can reopen a device; Debian 12's cannot.
#if defined(_WIN32) || defined(ALC_SOFT_reopen_device)
constexpr bool kReopens = true;
#else
constexpr bool kReopens = false;
#endif

ALCdevice* CurrentDevice() { return alcGetContextsDevice(alcGetCurrentContext()); }

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Watches, as the main loop does, until a try (on a thread of its own) has
// found a device; false after 10 s.
bool WaitForNewDevice() {
  for (int i = 0; i < 1000; ++i) {
    if (WatchAudioDevice(GetTimeMs())) return true;
    Wait(0.01);
  }
  return false;
}

std::string Tone(const char* name, double hz, double seconds) {
  const std::string path = TestTempDir() + "/" + name + ".ogg";
  WriteBytes(path, EncodeOggVorbis(SineTone(1, 44100, seconds, hz, 0.5f)));
  return path;
}

ALint SourceInt(uint32_t source, ALenum what) {
  ALint value = 0;
  alGetSourcei(source, what, &value);
  return value;
}

float SourceFloat(uint32_t source, ALenum what) {
  ALfloat value = 0;
  alGetSourcef(source, what, &value);
  return value;
}

TEST(AudioDevice, ALostDeviceIsReplacedWithEverythingLoadedOnIt) {
  ConfigureTestAudio("wave");
  const std::string low = Tone("low", 440.0, 0.5);
  const std::string high = Tone("high", 1320.0, 0.3);
  ASSERT_EQ(OpenAudioDevice(), 0);
  SetMasterVolume(0.8f);

  Sound loop{}, shared{}, oneShot{};
  ASSERT_EQ(LoadSoundEffect(&loop, low.c_str()), 0);
  ASSERT_EQ(LoadSoundEffect(&shared, low.c_str()), 0);
  ASSERT_EQ(LoadSoundEffect(&oneShot, high.c_str()), 0);
  SetSoundGain(&loop, 0.5f);
  SetSoundPitch(&shared, 1.5f);
  SetSoundLoop(&loop, 1);
  PlaySound(&loop);
  PlaySound(&shared);
  // The new device's buffers come from what was kept at the load, not from
  // the files, which may be gone by then.
  std::remove(low.c_str());
  std::remove(high.c_str());
  Wait(0.2);
  ALCdevice* lost = CurrentDevice();

  // Lost: nothing plays, and what is asked for now is dropped. A device that
  // goes away stops every source; a reopened one keeps them stopped.
  MarkAudioDeviceLost();
  for (Sound* sound : {&loop, &shared}) alSourceStop(sound->source);
  EXPECT_EQ(PlaySound(&oneShot), 1);
  SetMasterVolume(0.6f);
  // The first try starts with the report of the loss; the new device opens
  // on a thread of its own and waits for the swap.
  ASSERT_TRUE(WaitForNewDevice());
  SwapInAudioDevice();
  EXPECT_TRUE(AudioReady());
  EXPECT_EQ(CurrentDevice() == lost, kReopens);
  EXPECT_NE(std::string(GetAudioDeviceName()).find("Wave File Writer"), std::string::npos) << GetAudioDeviceName();
  // The handles take their new names at their next use.
  for (Sound* sound : {&loop, &shared, &oneShot}) GetSoundOffset(sound);

  // The voices, on new sources over buffers made again from the same samples.
  ASSERT_TRUE(alIsSource(loop.source));
  EXPECT_EQ(loop.buffer, shared.buffer);
  EXPECT_NE(loop.source, shared.source);
  ALint bytes = 0;
  alGetBufferi(loop.buffer, AL_SIZE, &bytes);
  EXPECT_EQ(bytes, loop.size);
  EXPECT_FLOAT_EQ(SourceFloat(loop.source, AL_GAIN), 0.5f);
  EXPECT_FLOAT_EQ(SourceFloat(shared.source, AL_PITCH), 1.5f);
  EXPECT_EQ(SourceInt(loop.source, AL_LOOPING), AL_TRUE);
  // The looping one goes on; one-shots the loss cut off do not start again.
  EXPECT_EQ(SourceInt(loop.source, AL_SOURCE_STATE), AL_PLAYING);
  EXPECT_NE(SourceInt(shared.source, AL_SOURCE_STATE), AL_PLAYING);
  EXPECT_NE(SourceInt(oneShot.source, AL_SOURCE_STATE), AL_PLAYING);
  float listener = 0;
  alGetListenerf(AL_GAIN, &listener);
  EXPECT_FLOAT_EQ(listener, 0.6f);

  Wait(0.6);
  EXPECT_EQ(PlaySound(&oneShot), 0);
  Wait(0.5);
  ReleaseSound(&loop);
  ReleaseSound(&shared);
  ReleaseSound(&oneShot);
  CloseAudioDevice();
  SetMasterVolume(1.0f);

  // The new device's capture (it started the file afresh): the loop at 440 Hz
  // from the start at gain 0.5 and volume 0.6 of the tone (a mono source
  // comes out at half level on each of the two channels), then the one-shot
  // on top.
  WaveClip clip = ReadWave(CapturedWavePath());
  ASSERT_GT(clip.Frames(), static_cast<size_t>(clip.rate));
  const size_t tenth = static_cast<size_t>(clip.rate) / 10;
  EXPECT_NEAR(ZeroCrossingFrequency(clip, 0, tenth, 3 * tenth), 440.0, 30.0);
  const float expected = 0.5f * 0.5f * 0.6f * 0.5f;
  EXPECT_NEAR(PeakLevel(clip, 0, tenth, 3 * tenth), expected, 0.2f * expected);
  EXPECT_GT(PeakLevel(clip, 0, 7 * tenth, 2 * tenth), 2.0f * expected);
}

// Two outages with a scene switch in each: what is released while the device
// is lost goes with the old device at once, and the swap writes into no
// handle (one destroyed unreleased, one that LoadMusic made music since).
TEST(AudioDevice, OutagesLeakNothingAndWriteIntoNoHandle) {
  const std::string effect = Tone("effect", 660.0, 0.2), other = Tone("other", 880.0, 0.2);
  const std::string tune = Tone("tune", 220.0, 1.0);
  ASSERT_EQ(OpenAudioDevice(), 0);
  const int32_t voices = EffectVoiceCount(), cached = SoundCacheSize();
  for (int outage = 0; outage < 2; ++outage) {
    Sound first{}, second{}, music{}, reused{};
    alignas(Sound) unsigned char gone[sizeof(Sound)];
    Sound* dropped = new (gone) Sound{};
    ASSERT_EQ(LoadSoundEffect(&first, effect.c_str()) + LoadSoundEffect(&second, effect.c_str()) +
                  LoadSoundEffect(dropped, other.c_str()) + LoadSoundEffect(&reused, other.c_str()) +
                  LoadMusic(&music, tune.c_str()) + PlaySound(&music), 0);
    dropped->~Sound();
    std::memset(gone, 0xA5, sizeof gone);
    MarkAudioDeviceLost();
    const uint32_t names[] = {first.source, second.source, music.source, first.buffer};
    for (Sound* sound : {&first, &second, &music}) ReleaseSound(sound);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(i < 3 ? alIsSource(names[i]) : alIsBuffer(names[i])) << outage << i;
    ASSERT_TRUE(WaitForNewDevice());
    SwapInAudioDevice();
    ASSERT_EQ(LoadMusic(&reused, tune.c_str()) + PlaySound(&reused), 0);
    EXPECT_EQ(std::string(gone, gone + sizeof gone), std::string(sizeof gone, '\xA5'));
    EXPECT_EQ(reused.voice.load(), 0u);
    ReleaseSound(&reused);
    // Left: the voices of the handles destroyed unreleased, and their file.
    EXPECT_EQ(EffectVoiceCount(), voices + 1 + outage);
    EXPECT_EQ(SoundCacheSize(), cached + 1);
  }
  CloseAudioDevice();
}

}  // namespace
