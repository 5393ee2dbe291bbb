// What the effect and music halves of the audio module share: the source
// set-up, the format table, the device check and the music branches of the
// handle operations. Internal to engine/audio.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "engine/audio/sound.h"

// True while an OpenAL context is current and its device has not been lost;
// otherwise every call is silent and every sound asked for is dropped.
bool AudioReady();
// True while an OpenAL context is current, lost device or not: what a sound
// holds can still be deleted on it.
bool AudioContextCurrent();
// Asks the current device whether it is still there, and marks it lost when
// it is not (the watcher then looks for a new one). For the music feed, which
// meets a lost device first as a source that stopped.
bool CheckAudioDeviceConnected();
// From then on AudioReady is false until a new device is swapped in.
void MarkAudioDeviceLost();
// The fixed properties of a new source (rolloff 1 for effects, 0 for music).
void ApplySourceSetup(uint32_t source, float rolloff);
// An effect's gain as its source gets it: in a browser, where effects play
// unspatialised (ApplySourceSetup), at the centre's equal-power level.
float EffectSourceGain(float gain);
// AL_SOFT_source_spatialize's switch (alext.h, not in every al.h).
constexpr int kAlSourceSpatializeSoft = 0x1214;
// OpenAL format of a SoundFormat code, 0 for a code outside 0..3.
int32_t AlFormatForCode(int32_t code);
void ZeroSound(Sound* sound);
// CreateSoundSource for samples decoded from path ("" for none: not shared)
// and from the Ogg Vorbis bytes encoded (taken over; null: the samples are
// kept instead).
int32_t CreateSoundSourceFrom(Sound* sound, const char* path, const void* pcm, int32_t size, int32_t code,
                              int32_t rate, std::vector<uint8_t>* encoded = nullptr);

// The source a handle plays through now (an effect's, renamed by a device
// change since its last use, is looked up and written into the handle).
uint32_t SoundSource(Sound* sound);
// Whether the handle holds a listed effect of its own.
bool HoldsEffect(Sound* sound);
// Effects holding a source, for tests.
int32_t EffectVoiceCount();

// The device change, with the new context current and every other user of
// OpenAL held off: effect sources made again on the renamed buffers with
// their gain, pitch and looping, and the music's source, whose feed goes on
// from where its decoder stands.
void RememberEffectVoice(Sound* sound, float gain, float pitch);
void RebuildEffectVoices(const std::unordered_map<uint32_t, uint32_t>& renamed);
void RebuildMusicVoice();
// The same device back (reopened): looping effects that were on play again.
void RestartEffectLoops();
// Holds the music feed's queue lock, for the device change.
std::unique_lock<std::mutex> HoldMusicQueue();

// Music branches of StopSound and ReleaseSound.
void StopMusic(Sound* sound);
void ReleaseMusic(Sound* sound);
// Wakes the music thread resting on a full queue, after a command was written.
void WakeMusicThread();

// Who feeds the next music stream LoadMusic starts: 1 the main loop's passes
// (RefillMusicFromFrame), 0 a thread of its own, -1 as the system decides
// (passes only where it has no threads). For tests of the passes' feed.
void SetMusicFedByPasses(int32_t choice);
