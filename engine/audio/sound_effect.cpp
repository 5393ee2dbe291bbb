// Sound effects: a whole-file decode into one OpenAL buffer on one source, and
// the handle operations shared with music (which branch off by kind). Owners
// of the same file share its buffer; each has a source of its own. Every
// live effect is listed by voice number with its names, gain and pitch, so a
// device that replaces a lost one gets the same voices.
#include <AL/al.h>
#include <AL/alc.h>

#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "engine/app/app.h"
#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "engine/audio/sound_cache.h"

void ApplySourceSetup(uint32_t source, float rolloff) {
  alSourcei(source, AL_LOOPING, AL_FALSE);
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 1.0f);
  alSourcef(source, AL_REFERENCE_DISTANCE, 20.0f);
  alSourcef(source, AL_MAX_DISTANCE, 100.0f);
  alSourcef(source, AL_ROLLOFF_FACTOR, rolloff);
#if defined(__EMSCRIPTEN__)
  // In a browser a spatialised source (every mono effect) is a Web Audio
  // panner, which the page's audio thread runs for every block of sound
  // while the game plays: a tenth of a frame's processor time on a software
  // renderer's two cores. Every source sits at the centre within its
  // reference distance, so the panner only lowers a mono effect to the
  // centre's equal-power level; the effects play unspatialised at that level.
  alSourcei(source, kAlSourceSpatializeSoft, AL_FALSE);
  if (rolloff > 0.0f) alSourcef(source, AL_GAIN, EffectSourceGain(1.0f));
#endif
}

float EffectSourceGain(float gain) {
#if defined(__EMSCRIPTEN__)
  return gain * 0.70710678f;
#else
  return gain;
#endif
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
  sound->voice = 0;
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

// The whole file into bytes; 1 when it cannot be read, is empty or is over
// 64 MiB (far more than any effect).
int32_t ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 1;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  bool read = size > 0 && size <= (long{64} << 20) && std::fseek(file, 0, SEEK_SET) == 0;
  if (read) {
    bytes->resize(static_cast<size_t>(size));
    read = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
  }
  std::fclose(file);
  return read ? 0 : 1;
}

// A live effect's OpenAL names and what was set on its source beyond the
// fixed set-up. The owner's address is only compared, never followed: a
// handle destroyed without ReleaseSound leaves an entry nobody writes through.
struct EffectVoice {
  const Sound* owner;
  uint32_t source;
  uint32_t buffer;
  float gain;
  float pitch;
  // Played with its loop flag set and not stopped since: it goes on after a
  // device change.
  bool looping;
};

// Effects holding a source, by voice number (never reused). Written by
// loads, releases, plays and the setters; renamed by the device change;
// every access under the lock.
struct EffectVoices {
  std::mutex lock;
  uint32_t lastVoice = 0;
  std::unordered_map<uint32_t, EffectVoice> voices;
};

EffectVoices effectVoices;

// The handle's entry, or null when it holds none; the caller holds the lock.
EffectVoice* FindVoiceLocked(const Sound* sound) {
  auto it = effectVoices.voices.find(sound->voice);
  if (it == effectVoices.voices.end() || it->second.owner != sound) return nullptr;
  return &it->second;
}

// The handle's current source (renamed by a device change since its last
// use, the handle follows now), and whether it is to go on looping: 1 yes,
// 0 no, -1 unchanged.
ALuint EffectSource(Sound* sound, int looping) {
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  EffectVoice* voice = FindVoiceLocked(sound);
  if (voice == nullptr) return 0;
  if (looping >= 0) voice->looping = looping != 0;
  sound->source = voice->source;
  sound->buffer = voice->buffer;
  return voice->source;
}

// Sets the source up for an effect on the buffer (which already holds its
// samples: OpenAL refuses new data for an attached buffer) and lists both.
void HoldSourceOnBuffer(Sound* sound, ALuint source, ALuint buffer, int32_t size) {
  ApplySourceSetup(source, 1.0f);
  alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
  sound->buffer = buffer;
  sound->source = source;
  sound->size = size;
  sound->loop = 0;
  sound->kind = 0;
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  uint32_t number = ++effectVoices.lastVoice;
  effectVoices.voices[number] = EffectVoice{sound, source, buffer, 1.0f, 1.0f, false};
  sound->voice = number;
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

uint32_t SoundSource(Sound* sound) {
  if (sound->kind != 0) return sound->source;
  return EffectSource(sound, -1);
}

bool HoldsEffect(Sound* sound) {
  if (sound->kind != 0) return false;
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  return FindVoiceLocked(sound) != nullptr;
}

// A file another owner holds is not decoded again: this owner gets its own
// source on the same buffer, so the two still start and stop independently.
int32_t LoadSoundEffect(Sound* sound, const char* path) {
  if (sound == nullptr || path == nullptr) return 1;
  // Headless nothing will play it: the file is not even read.
  if (IsHeadless()) return 1;
  int32_t sharedSize = 0;
  uint32_t shared = AudioReady() ? SoundCacheAcquire(path, &sharedSize) : 0;
  if (shared != 0) {
    if (AttachSharedBuffer(sound, shared, sharedSize) == 0) return 0;
    if (!SoundCacheRelease(shared)) alDeleteBuffers(1, &shared);
    return 1;
  }
  // The file's bytes are kept for a device change instead of the samples,
  // which are about ten times larger.
  std::vector<uint8_t> encoded;
  if (ReadWholeFile(path, &encoded) != 0) return 1;
  PcmData pcm{};
  if (DecodeOggMemory(encoded.data(), encoded.size(), &pcm) != 0) {
    FreePcmData(&pcm);
    return 1;
  }
  int32_t code = SoundFormatFor(pcm.channels, pcm.bitsPerSample);
  if (code < 0) {
    FreePcmData(&pcm);
    return 1;
  }
  int32_t result = CreateSoundSourceFrom(sound, path, pcm.data, pcm.size, code, pcm.rate, &encoded);
  sound->kind = 0;
  // OpenAL has its own copy of the samples now.
  FreePcmData(&pcm);
  return result;
}

int32_t CreateSoundSource(Sound* sound, const void* pcm, int32_t size, int32_t code, int32_t rate) {
  return CreateSoundSourceFrom(sound, "", pcm, size, code, rate);
}

int32_t CreateSoundSourceFrom(Sound* sound, const char* path, const void* pcm, int32_t size, int32_t code,
                              int32_t rate, std::vector<uint8_t>* encoded) {
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
  SoundCacheAdd(path, buffer, pcm, size, code, rate, encoded);
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
  bool effect = sound->kind == 0;
  if (!effect) WakeMusicThread();
  ALuint source = effect ? EffectSource(sound, sound->loop != 0 ? 1 : 0) : sound->source.load();
  if (source == 0 || !AudioReady()) return 1;
  // Effects: one source, so playing again restarts it instead of layering.
  if (effect) alSourcei(source, AL_LOOPING, sound->loop != 0 ? AL_TRUE : AL_FALSE);
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
  ALuint source = EffectSource(sound, 0);
  if (source != 0 && AudioReady()) alSourceStop(source);
}

void SetSoundLoop(Sound* sound, int32_t flag) {
  if (sound == nullptr) return;
  sound->loop = flag != 0 ? 1 : 0;
}

// The effect's source and buffer go on the device they were made on, also
// while it is lost (its context stays current until a new one is swapped
// in), so an outage leaks nothing.
int32_t ReleaseSound(Sound* sound) {
  if (sound == nullptr) return 0;
  if (sound->kind != 0) {
    ReleaseMusic(sound);
    return 0;
  }
  EffectVoice voice{};
  {
    std::lock_guard<std::mutex> hold(effectVoices.lock);
    EffectVoice* listed = FindVoiceLocked(sound);
    if (listed != nullptr) {
      voice = *listed;
      effectVoices.voices.erase(sound->voice);
    }
  }
  ALuint source = voice.source;
  ALuint buffer = voice.buffer;
  // The source goes first: a buffer still attached to one cannot be deleted.
  // A buffer other owners still hold stays.
  bool sharedOn = buffer != 0 && SoundCacheRelease(buffer);
  if (AudioContextCurrent()) {
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
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  EffectVoice* voice = FindVoiceLocked(sound);
  if (voice == nullptr) return;
  if (gain >= 0.0f) voice->gain = gain;
  if (pitch > 0.0f) voice->pitch = pitch;
}

void RebuildEffectVoices(const std::unordered_map<uint32_t, uint32_t>& renamed) {
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  for (auto& [number, voice] : effectVoices.voices) {
    auto name = renamed.find(voice.buffer);
    ALuint buffer = name != renamed.end() ? name->second : 0;
    ALuint source = 0;
    if (buffer != 0) alGenSources(1, &source);
    voice.buffer = buffer;
    voice.source = source;
    // A voice the new device refused stays silent, as without a device.
    if (source == 0) continue;
    ApplySourceSetup(source, 1.0f);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcef(source, AL_GAIN, EffectSourceGain(voice.gain));
    alSourcef(source, AL_PITCH, voice.pitch);
    // A looping effect that was on goes on; a one-shot that the loss cut
    // off is not played again late.
    if (voice.looping) {
      alSourcei(source, AL_LOOPING, AL_TRUE);
      alSourcePlay(source);
    }
  }
}

void RestartEffectLoops() {
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  for (auto& [number, voice] : effectVoices.voices) {
    if (voice.source != 0 && voice.looping) alSourcePlay(voice.source);
  }
}

int32_t EffectVoiceCount() {
  std::lock_guard<std::mutex> hold(effectVoices.lock);
  return static_cast<int32_t>(effectVoices.voices.size());
}
