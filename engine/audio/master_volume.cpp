// The master volume: one gain over everything the program plays, set on the
// OpenAL listener so effects and music follow it alike. Start-up sets it
// again once the device is open, so a volume chosen before starts with it.
#include <AL/al.h>

#include <atomic>

#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"

namespace {

std::atomic<float> masterVolume{1.0f};

}  // namespace

void SetMasterVolume(float volume) {
  if (!(volume >= 0.0f)) volume = 0.0f;  // also NaN
  if (volume > 1.0f) volume = 1.0f;
  masterVolume.store(volume);
  if (AudioReady()) alListenerf(AL_GAIN, volume);
}

float GetMasterVolume() { return masterVolume.load(); }
