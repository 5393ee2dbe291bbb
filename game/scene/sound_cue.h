// The game's only way to its sounds: bare file names under contents, forwarded
// to the effect and music operations. Holds no state.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"

class SoundCue {
 public:
  static int32_t LoadSe(Sound* sound, const char* fileName);
  static int32_t LoadBgm(Sound* sound, const char* fileName);
  // A scene's music from its start: loads it, plays it and loops it.
  static void StartBgm(Sound* sound, const char* fileName);
  static void Play(Sound* sound);
  static void Stop(Sound* sound);
  static void SetLoop(Sound* sound, int32_t flag);
  static void Release(Sound* sound);
};
