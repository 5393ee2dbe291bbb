// Sound effects: a whole-file decode into one OpenAL buffer on one source, and
// the handle operations shared with music (which branch off by kind). Owners
// of the same file share its buffer; each has a source of its own. Every
// live effect is listed with its gain and pitch, so a device that replaces a
// lost one gets the same voices.
#include <AL/al.h>
#include <AL/alc.h>

#include <mutex>
#include <unordered_map>

#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "engine/audio/sound_cache.h"

void ApplySourceSetup(uint32_t source, float rolloff) {
  alSourcei(source, AL_LOOPING, AL_FALSE);
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 1.0f);
  alSourcef(source, AL_REFERENCE_DISTANCE, 20.0f);
  alSourcef(source, AL_MAX_DISTANCE, 100.0f);
  alSourcef(source, AL_ROLLOFF_FACTOR, rolloff);
}

int32_t AlFormatForCode(int32_t code) {
  switch (code) {
    case 0: return AL_FORMAT_MONO8;
    case 1: return AL_FORMAT_MONO16;
    case 2: return AL_FORMAT_STEREO8;
    case 3: return AL_FORMAT_STEREO16;
    default: return 0;
  }
}

void ZeroSound(Sound* sound) {
  sound->kind = 0;
  sound->source = 0;
  sound->buffer = 0;
  sound->size = 0;
  sound->loop = 0;
  sound->command = 0;
  sound->position = 0;
  sound->playing = 0;
}

namespace {

// What a source had set beyond its fixed set-up.
struct EffectVoice {
  float gain;
  float pitch;
};

// Effects holding a source, with their voice settings. Written by loads and
// releases (main thread) and the setters; read by the device change; every
// access under the lock.
struct LiveEffects {
  std::mutex lock;
  std::unordered_map<Sound*, EffectVoice> voices;
};

LiveEffects liveEffects;

void ListEffect(Sound* sound) {
  std::lock_guard<std::mutex> hold(liveEffects.lock);
  liveEffects.voices[sound] = EffectVoice{1.0f, 1.0f};
}

void UnlistEffect(Sound* sound) {
  std::lock_guard<std::mutex> hold(liveEffects.lock);
  liveEffects.voices.erase(sound);
}

// Sets the source up for an effect on the buffer (which already holds its
// samples: OpenAL refuses new data for an attached buffer) and records both.
void HoldSourceOnBuffer(Sound* sound, ALuint source, ALuint buffer, int32_t size) {
  ApplySourceSetup(source, 1.0f);
  alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
  sound->buffer = buffer;
  sound->source = source;
  sound->size = size;
  sound->loop = 0;
  sound->kind = 0;
  ListEffect(sound);
}

// A new source playing a buffer another owner already holds.
int32_t AttachSharedBuffer(Sound* sound, uint32_t buffer, int32_t size) {
  ALuint source = 0;
  alGenSources(1, &source);
  if (source == 0) return 1;
  HoldSourceOnBuffer(sound, source, buffer, size);
  return 0;
}

}  // namespace

// A file another owner holds is not decoded again: this owner gets its own
// source on the same buffer, so the two still start and stop independently.
int32_t LoadSoundEffect(Sound* sound, const char* path) {
  if (sound == nullptr || path == nullptr) return 1;
  int32_t sharedSize = 0;
  uint32_t shared = AudioReady() ? SoundCacheAcquire(path, &sharedSize) : 0;
  if (shared != 0) {
    if (AttachSharedBuffer(sound, shared, sharedSize) == 0) return 0;
    if (!SoundCacheRelease(shared)) alDeleteBuffers(1, &shared);
    return 1;
  }
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 1;
  PcmData pcm{};
  // The decoder closes the file, whatever happens.
  if (DecodeOggFile(file, &pcm) != 0) {
    FreePcmData(&pcm);
    return 1;
  }
  int32_t code = SoundFormatFor(pcm.channels, pcm.bitsPerSample);
  if (code < 0) {
    FreePcmData(&pcm);
    return 1;
  }
  int32_t result = CreateSoundSourceFrom(sound, path, pcm.data, pcm.size, code, pcm.rate);
  sound->kind = 0;
  // OpenAL and the buffer table have their own copies of the samples now.
  FreePcmData(&pcm);
  return result;
}

int32_t CreateSoundSource(Sound* sound, const void* pcm, int32_t size, int32_t code, int32_t rate) {
  return CreateSoundSourceFrom(sound, "", pcm, size, code, rate);
}

int32_t CreateSoundSourceFrom(Sound* sound, const char* path, const void* pcm, int32_t size, int32_t code,
                              int32_t rate) {
  if (sound == nullptr || pcm == nullptr || size <= 0 || rate <= 0) return 1;
  // Checked before anything is generated, so a refusal leaves nothing behind.
  ALenum format = AlFormatForCode(code);
  if (format == 0 || !AudioReady()) return 1;
  ALuint buffer = 0;
  ALuint source = 0;
  alGenBuffers(1, &buffer);
  alGenSources(1, &source);
  if (buffer == 0 || source == 0) {
    if (source != 0) alDeleteSources(1, &source);
    if (buffer != 0) alDeleteBuffers(1, &buffer);
    return 1;
  }
  SoundCacheForgetName(buffer);
  alBufferData(buffer, format, pcm, size, rate);
  SoundCacheAdd(path, buffer, pcm, size, code, rate);
  HoldSourceOnBuffer(sound, source, buffer, size);
  return 0;
}

int32_t PlaySound(Sound* sound) {
  if (sound == nullptr) return 1;
  StopSound(sound);
  // The music thread reads position only after it sees the command.
  sound->position = 0;
  sound->command = 1;
  sound->playing = 1;
  ALuint source = sound->source;
  if (source == 0 || !AudioReady()) return 1;
  // Effects: one source, so playing again restarts it instead of layering.
  if (sound->kind == 0) alSourcei(source, AL_LOOPING, sound->loop != 0 ? AL_TRUE : AL_FALSE);
  alSourcePlay(source);
  return 0;
}

void StopSound(Sound* sound) {
  if (sound == nullptr) return;
  sound->playing = 0;
  if (sound->kind != 0) {
    StopMusic(sound);
    return;
  }
  ALuint source = sound->source;
  if (source != 0 && AudioReady()) alSourceStop(source);
}

void SetSoundLoop(Sound* sound, int32_t flag) {
  if (sound == nullptr) return;
  sound->loop = flag != 0 ? 1 : 0;
}

int32_t ReleaseSound(Sound* sound) {
  if (sound == nullptr) return 0;
  if (sound->kind != 0) {
    ReleaseMusic(sound);
    return 0;
  }
  UnlistEffect(sound);
  ALuint source = sound->source;
  ALuint buffer = sound->buffer;
  // The source goes first: a buffer still attached to one cannot be deleted.
  // A buffer other owners still hold stays.
  bool sharedOn = buffer != 0 && SoundCacheRelease(buffer);
  if (AudioReady()) {
    if (source != 0) {
      alSourceStop(source);
      alDeleteSources(1, &source);
    }
    if (buffer != 0 && !sharedOn) alDeleteBuffers(1, &buffer);
  }
  ZeroSound(sound);
  return 0;
}

void RememberEffectVoice(Sound* sound, float gain, float pitch) {
  std::lock_guard<std::mutex> hold(liveEffects.lock);
  auto it = liveEffects.voices.find(sound);
  if (it == liveEffects.voices.end()) return;
  if (gain >= 0.0f) it->second.gain = gain;
  if (pitch > 0.0f) it->second.pitch = pitch;
}

void RebuildEffectVoices(const std::unordered_map<uint32_t, uint32_t>& renamed) {
  std::lock_guard<std::mutex> hold(liveEffects.lock);
  for (auto& [sound, voice] : liveEffects.voices) {
    auto name = renamed.find(sound->buffer);
    ALuint buffer = name != renamed.end() ? name->second : 0;
    ALuint source = 0;
    if (buffer != 0) alGenSources(1, &source);
    sound->buffer = buffer;
    sound->source = source;
    // A voice the new device refused stays silent, as without a device.
    if (source == 0) continue;
    ApplySourceSetup(source, 1.0f);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcef(source, AL_GAIN, voice.gain);
    alSourcef(source, AL_PITCH, voice.pitch);
    // A looping effect that was on goes on; a one-shot that the loss cut
    // off is not played again late.
    if (sound->loop != 0 && sound->playing != 0) {
      alSourcei(source, AL_LOOPING, AL_TRUE);
      alSourcePlay(source);
    }
  }
}

void RestartEffectLoops() {
  std::lock_guard<std::mutex> hold(liveEffects.lock);
  for (auto& [sound, voice] : liveEffects.voices) {
    ALuint source = sound->source;
    if (source != 0 && sound->loop != 0 && sound->playing != 0) alSourcePlay(source);
  }
}
