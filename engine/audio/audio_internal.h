// What the effect and music halves of the audio module share: the source
// set-up, the format table, the device check and the music branches of the
// handle operations. Internal to engine/audio.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"

// True while an OpenAL context is current; without one every call is silent.
bool AudioReady();
// The fixed properties of a new source (rolloff 1 for effects, 0 for music).
void ApplySourceSetup(uint32_t source, float rolloff);
// OpenAL format of a SoundFormat code, 0 for a code outside 0..3.
int32_t AlFormatForCode(int32_t code);
void ZeroSound(Sound* sound);

// Music branches of StopSound and ReleaseSound.
void StopMusic(Sound* sound);
void ReleaseMusic(Sound* sound);

// Who feeds the next music stream LoadMusic starts: 1 the main loop's passes
// (RefillMusicFromFrame), 0 a thread of its own, -1 as the system decides
// (passes only where it has no threads). For tests of the passes' feed.
void SetMusicFedByPasses(int32_t choice);
