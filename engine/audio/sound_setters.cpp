// Per-source setters of a sound handle (an effect's gain and pitch are kept
// for a device that replaces a lost one); the game leaves every sound at its
// defaults, these are for tools and tests.
#include <AL/al.h>

#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"

void SetSoundGain(Sound* sound, float gain) {
  if (sound == nullptr) return;
  RememberEffectVoice(sound, gain < 0.0f ? 0.0f : gain, 0.0f);
  ALuint source = SoundSource(sound);
  if (source == 0 || !AudioReady()) return;
  const float level = gain < 0.0f ? 0.0f : gain;
  alSourcef(source, AL_GAIN, sound->kind == 0 ? EffectSourceGain(level) : level);
}

void SetSoundPitch(Sound* sound, float pitch) {
  if (sound == nullptr) return;
  RememberEffectVoice(sound, -1.0f, pitch);
  ALuint source = SoundSource(sound);
  if (source == 0 || !AudioReady()) return;
  alSourcef(source, AL_PITCH, pitch);
}

void SeekSound(Sound* sound, int32_t offset) {
  if (sound == nullptr) return;
  sound->position = offset;
  sound->command = 1;
  WakeMusicThread();
  ALuint source = SoundSource(sound);
  if (source == 0 || !AudioReady()) return;
  alSourcei(source, AL_SAMPLE_OFFSET, offset);
}

int32_t GetSoundOffset(Sound* sound) {
  if (sound == nullptr) return 0;
  ALuint source = SoundSource(sound);
  if (source == 0 || !AudioReady()) return 0;
  ALint offset = 0;
  alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
  return offset;
}
