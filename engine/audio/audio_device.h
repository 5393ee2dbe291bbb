// The OpenAL device everything plays through, and its recovery: a device that
// goes away (the sound server restarts, a headset is pulled out) is noticed,
// the game plays on silently, and a new device is looked for every 2 seconds;
// when one opens, every loaded effect, its voice settings, the master volume
// and the music stream are made again on it.
//
// Thread rules: open, close, watch and swap run on the main thread; the swap
// with the game lock held, so no tick or frame uses OpenAL meanwhile (the
// music feed is held off by its own lock inside). Each try for a new device
// (an open, or a reopen of the lost one, and its description) runs on a
// thread of its own, which the watch starts and joins once it has ended, so
// no frame waits for a sound server. AudioReady and CheckAudioDeviceConnected
// (audio_internal.h) may be called from any thread.
#pragma once

#include <cstdint>

// Opens the default device and makes its context current; 1 (and one line
// on standard error) when there is none: the game then runs silent.
int32_t OpenAudioDevice();
void CloseAudioDevice();
// Main thread, once per main-loop pass, outside the game lock: checks the
// device twice a second and, once it is lost, starts a try for a new one
// every 2 s. True when a try has found one and it waits for SwapInAudioDevice.
bool WatchAudioDevice(uint32_t nowMs);
// Main thread, with the game lock held: moves everything onto the new device.
void SwapInAudioDevice();
