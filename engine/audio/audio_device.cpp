// The OpenAL device and context, watched for loss and replaced when a new
// device can be had (see audio_device.h).
#include "engine/audio/audio_device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "engine/app/app.h"
#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "engine/audio/sound_cache.h"

namespace {

constexpr int kDeviceNameSize = 256;
// ALC_CONNECTED of ALC_EXT_disconnect: 0 once the device has gone away.
constexpr ALCenum kAlcConnected = 0x313;
constexpr uint32_t kCheckPeriodMs = 500;
constexpr uint32_t kRetryPeriodMs = 2000;

// alcReopenDeviceSOFT, where the library has it (OpenAL Soft 1.22 and later):
// the same device handle moves to whatever output is there now, keeping
// every buffer and source.
using ReopenDevice = ALCboolean (*)(ALCdevice* device, const ALCchar* name, const ALCint* attributes);

// The device module's whole state.
struct AudioDeviceState {
  // Main thread only.
  ALCdevice* device;
  ALCcontext* context;
  char name[kDeviceNameSize];
  ReopenDevice reopen;
  bool lossReported;
  uint32_t nextCheckMs;
  uint32_t nextRetryMs;
  // A device opened by the watcher, waiting for the swap (or, with reopen,
  // the old one back).
  ALCdevice* newDevice;
  ALCcontext* newContext;
  bool reopened;
  // Whether the current device can tell its loss (ALC_EXT_disconnect), and
  // whether it has; any thread.
  std::atomic<bool> canTellLoss{false};
  std::atomic<bool> deviceLost{false};
};

AudioDeviceState state;

// The listener's fixed set-up and the master volume, on the current context.
void SetUpListener() {
  alDistanceModel(AL_LINEAR_DISTANCE);
  alSpeedOfSound(343.3f);
  alDopplerFactor(1.0f);
  alDopplerVelocity(1.0f);
  SetMasterVolume(GetMasterVolume());
}

// Records what the device in state can do and is called.
void DescribeDevice() {
  // Cut to the buffer, always terminated, whatever the driver reports.
  const ALCchar* name = alcGetString(state.device, ALC_DEVICE_SPECIFIER);
  std::snprintf(state.name, sizeof state.name, "%s", name ? name : "");
  state.canTellLoss = alcIsExtensionPresent(state.device, "ALC_EXT_disconnect") == ALC_TRUE;
  state.reopen = nullptr;
  if (alcIsExtensionPresent(state.device, "ALC_SOFT_reopen_device") == ALC_TRUE) {
    state.reopen = reinterpret_cast<ReopenDevice>(alcGetProcAddress(state.device, "alcReopenDeviceSOFT"));
  }
}

bool DeviceConnected(ALCdevice* device) {
  if (device == nullptr || !state.canTellLoss) return true;
  ALCint connected = 1;
  alcGetIntegerv(device, kAlcConnected, 1, &connected);
  return connected != 0;
}

// One try for a device to replace the lost one; true when one waits.
bool TryNewDevice() {
  if (state.reopen != nullptr) {
    state.reopened = state.reopen(state.device, nullptr, nullptr) == ALC_TRUE;
    return state.reopened;
  }
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return false;
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr) {
    alcCloseDevice(device);
    return false;
  }
  state.newDevice = device;
  state.newContext = context;
  return true;
}

}  // namespace

bool AudioReady() { return !state.deviceLost.load() && alcGetCurrentContext() != nullptr; }

bool AudioContextCurrent() { return alcGetCurrentContext() != nullptr; }

bool CheckAudioDeviceConnected() {
  ALCcontext* context = alcGetCurrentContext();
  if (context == nullptr) return false;
  if (DeviceConnected(alcGetContextsDevice(context))) return true;
  MarkAudioDeviceLost();
  return false;
}

void MarkAudioDeviceLost() { state.deviceLost = true; }

int32_t OpenAudioDevice() {
  state.device = alcOpenDevice(nullptr);
  if (!state.device) {
    std::fprintf(stderr, "audio device: none opens (%s); the game runs silent\n",
                 alcGetString(nullptr, alcGetError(nullptr)));
    return 1;
  }
  state.context = alcCreateContext(state.device, nullptr);
  if (!state.context) {
    std::fprintf(stderr, "audio device: no context (%s); the game runs silent\n",
                 alcGetString(state.device, alcGetError(state.device)));
    alcCloseDevice(state.device);
    state.device = nullptr;
    return 1;
  }
  alcMakeContextCurrent(state.context);
  DescribeDevice();
  state.deviceLost = false;
  state.lossReported = false;
  state.nextCheckMs = GetTimeMs() + kCheckPeriodMs;
  SetUpListener();
  return 0;
}

void CloseAudioDevice() {
  if (state.newContext) alcDestroyContext(state.newContext);
  if (state.newDevice) alcCloseDevice(state.newDevice);
  if (state.context) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(state.context);
  }
  if (state.device) alcCloseDevice(state.device);
  state.device = nullptr;
  state.context = nullptr;
  state.name[0] = '\0';
  state.reopen = nullptr;
  state.lossReported = false;
  state.newDevice = nullptr;
  state.newContext = nullptr;
  state.reopened = false;
  state.canTellLoss = false;
  state.deviceLost = false;
}

bool WatchAudioDevice(uint32_t nowMs) {
  // Without a device from the start the game stays silent.
  if (state.device == nullptr) return false;
  if (!state.deviceLost.load()) {
    if (static_cast<int32_t>(nowMs - state.nextCheckMs) < 0) return false;
    state.nextCheckMs = nowMs + kCheckPeriodMs;
    if (DeviceConnected(state.device)) return false;
    state.deviceLost = true;
  }
  if (!state.lossReported) {
    state.lossReported = true;
    state.nextRetryMs = nowMs;
    std::fprintf(stderr, "audio device: \"%s\" is gone; the game plays on silently and tries again every 2 s\n",
                 state.name);
  }
  if (state.newDevice != nullptr || state.reopened) return true;
  if (static_cast<int32_t>(nowMs - state.nextRetryMs) < 0) return false;
  state.nextRetryMs = nowMs + kRetryPeriodMs;
  return TryNewDevice();
}

void SwapInAudioDevice() {
  if (state.newDevice == nullptr && !state.reopened) return;
  // Any pass of the music feed under way ends first; later ones see the
  // device lost until the end of the swap and hold their chunk.
  std::unique_lock<std::mutex> music = HoldMusicQueue();
  if (state.reopened) {
    // The same device, context and names on the new output; what the loss
    // stopped starts again (the music with its feed's next chunk).
    state.reopened = false;
    // The output now playing: its name for the line below, and whether it
    // can tell its own loss.
    DescribeDevice();
    RestartEffectLoops();
  } else {
    alcMakeContextCurrent(state.newContext);
    alcDestroyContext(state.context);
    alcCloseDevice(state.device);
    state.device = state.newDevice;
    state.context = state.newContext;
    state.newDevice = nullptr;
    state.newContext = nullptr;
    DescribeDevice();
    std::unordered_map<uint32_t, uint32_t> renamed;
    SoundCacheRebuild(&renamed);
    RebuildEffectVoices(renamed);
    RebuildMusicVoice();
  }
  state.deviceLost = false;
  SetUpListener();
  state.lossReported = false;
  state.nextCheckMs = GetTimeMs() + kCheckPeriodMs;
  std::fprintf(stderr, "audio device: \"%s\" is back\n", state.name);
}

const char* GetAudioDeviceName() { return state.name; }

bool IsAudioOpen() { return state.device != nullptr && state.context != nullptr; }
