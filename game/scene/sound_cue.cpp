// The game's sound cues: bare file names under contents, forwarded to the
// engine's effect and music operations.
#include "game/scene/sound_cue.h"

#include "engine/app/app.h"

int32_t SoundCue::LoadSe(Sound* sound, const char* fileName) {
  return LoadSoundEffect(sound, ContentsPath(fileName));
}

int32_t SoundCue::LoadBgm(Sound* sound, const char* fileName) {
  return LoadMusic(sound, ContentsPath(fileName));
}

void SoundCue::StartBgm(Sound* sound, const char* fileName) {
  LoadBgm(sound, fileName);
  Play(sound);
  SetLoop(sound, 1);
}

void SoundCue::Play(Sound* sound) { PlaySound(sound); }

void SoundCue::Stop(Sound* sound) { StopSound(sound); }

void SoundCue::SetLoop(Sound* sound, int32_t flag) { SetSoundLoop(sound, flag); }

void SoundCue::Release(Sound* sound) { ReleaseSound(sound); }
