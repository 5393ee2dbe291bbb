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
#include "engine/app/platform.h"
#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"
#include "engine/audio/sound_cache.h"

namespace {

constexpr int kDeviceNameSize = 256;
// ALC_CONNECTED of ALC_EXT_disconnect: 0 once the device has gone away.
constexpr ALCenum kAlcConnected = 0x313;
constexpr uint32_t kCheckPeriodMs = 500;
constexpr uint32_t kRetryPeriodMs = 2000;
// ALC_MAX_AUXILIARY_SENDS of ALC_EXT_EFX. The game uses no effect slots, and
// OpenAL Soft keeps send state for each of its 256 voices (0.75 MB for its
// default of 2 sends).
constexpr ALCint kAlcMaxAuxiliarySends = 0x20003;
constexpr ALCint kNoSends[] = {kAlcMaxAuxiliarySends, 0, 0};

// A library without ALC_EXT_EFX (the browser's) refuses a context asked for
// with the attribute, so it is asked only of one that has it.
ALCcontext* CreateContext(ALCdevice* device) {
  return alcCreateContext(device, alcIsExtensionPresent(device, "ALC_EXT_EFX") ? kNoSends : nullptr);
}

// alcReopenDeviceSOFT, where the library has it (OpenAL Soft 1.22 and later):
// the same device handle moves to whatever output is there now, keeping
// every buffer and source.
using ReopenDevice = ALCboolean (*)(ALCdevice* device, const ALCchar* name, const ALCint* attributes);

// What a device is called and can do.
struct DeviceInfo {
  char name[kDeviceNameSize];
  bool canTellLoss;
  ReopenDevice reopen;
};

// One try for a device to replace the lost one, on a thread of its own: an
// open through a sound server can block, and no frame waits for it.
struct DeviceTry {
  // Main thread only: the running try's thread.
  void* thread;
  // Set by the main thread before the try starts: the lost device and its
  // reopen call (null: open a new device).
  ALCdevice* lostDevice;
  ReopenDevice reopen;
  // Written by the try before it sets done; read by the main thread after.
  bool found;
  ALCdevice* device;
  ALCcontext* context;
  DeviceInfo info;
  std::atomic<bool> done{false};
};

// The device module's whole state.
struct AudioDeviceState {
  // Main thread only.
  ALCdevice* device;
  ALCcontext* context;
  DeviceInfo info;
  bool lossReported;
  uint32_t nextCheckMs;
  uint32_t nextRetryMs;
  // A try found a device (a new one in attempt.device, or the lost one
  // reopened) that waits for the swap.
  bool found;
  DeviceTry attempt;
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

// What the device is called and can do (any thread).
DeviceInfo DescribeDevice(ALCdevice* device) {
  DeviceInfo info{};
  // The output itself (ALC_ENUMERATE_ALL_EXT): OpenAL Soft's plain device
  // specifier is its own name, whatever the output. Cut to the buffer,
  // always terminated, whatever the driver reports.
  const bool outputNamed = alcIsExtensionPresent(device, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
  const ALCchar* name = alcGetString(device, outputNamed ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
  std::snprintf(info.name, sizeof info.name, "%s", name ? name : "");
  info.canTellLoss = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
  if (alcIsExtensionPresent(device, "ALC_SOFT_reopen_device") == ALC_TRUE) {
    info.reopen = reinterpret_cast<ReopenDevice>(alcGetProcAddress(device, "alcReopenDeviceSOFT"));
  }
  return info;
}

// Makes info the current device's description (main thread).
void TakeDeviceInfo(const DeviceInfo& info) {
  state.info = info;
  state.canTellLoss = info.canTellLoss;
}

bool DeviceConnected(ALCdevice* device) {
  if (device == nullptr || !state.canTellLoss) return true;
  ALCint connected = 1;
  alcGetIntegerv(device, kAlcConnected, 1, &connected);
  return connected != 0;
}

// The try's body: the lost device moved to whatever output is there now, or
// a new device with a context; either described.
void RunDeviceTry() {
  DeviceTry& t = state.attempt;
  t.found = false;
  t.device = nullptr;
  t.context = nullptr;
  if (t.reopen != nullptr) {
    t.found = t.reopen(t.lostDevice, nullptr, nullptr) == ALC_TRUE;
    if (t.found) t.info = DescribeDevice(t.lostDevice);
  } else if (ALCdevice* device = alcOpenDevice(nullptr)) {
    ALCcontext* context = CreateContext(device);
    if (context != nullptr) {
      t.found = true;
      t.device = device;
      t.context = context;
      t.info = DescribeDevice(device);
    } else {
      alcCloseDevice(device);
    }
  }
  t.done.store(true, std::memory_order_release);
}

// Starts a try; where no thread can be had it runs here and now.
void StartDeviceTry() {
  DeviceTry& t = state.attempt;
  t.lostDevice = state.device;
  t.reopen = state.info.reopen;
  t.done.store(false);
  t.thread = PlatformHasThreads() ? PlatformStartThread("audio device", RunDeviceTry) : nullptr;
  if (t.thread == nullptr) RunDeviceTry();
}

// Whether the try has ended (its thread joined); its result is then in
// state.attempt.
bool DeviceTryEnded() {
  DeviceTry& t = state.attempt;
  if (!t.done.load(std::memory_order_acquire)) return false;
  PlatformJoinThread(t.thread);
  t.thread = nullptr;
  return true;
}

// Waits for a try under way and closes a new device it left unused.
void EndDeviceTry() {
  DeviceTry& t = state.attempt;
  if (t.thread != nullptr) {
    PlatformJoinThread(t.thread);
    t.thread = nullptr;
  }
  if (t.context != nullptr) alcDestroyContext(t.context);
  if (t.device != nullptr) alcCloseDevice(t.device);
  t.context = nullptr;
  t.device = nullptr;
  t.found = false;
  t.done.store(false);
}

}  // namespace

// Headless, OpenAL is never asked: as without a device, every sound is dropped.
bool AudioReady() { return !IsHeadless() && !state.deviceLost.load() && alcGetCurrentContext() != nullptr; }

bool AudioContextCurrent() { return !IsHeadless() && alcGetCurrentContext() != nullptr; }

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
  state.context = CreateContext(state.device);
  if (!state.context) {
    std::fprintf(stderr, "audio device: no context (%s); the game runs silent\n",
                 alcGetString(state.device, alcGetError(state.device)));
    alcCloseDevice(state.device);
    state.device = nullptr;
    return 1;
  }
  alcMakeContextCurrent(state.context);
  TakeDeviceInfo(DescribeDevice(state.device));
  state.deviceLost = false;
  state.lossReported = false;
  state.found = false;
  state.nextCheckMs = GetTimeMs() + kCheckPeriodMs;
  SetUpListener();
  return 0;
}

void CloseAudioDevice() {
  // A try under way ends first: it may be reopening this very device.
  EndDeviceTry();
  if (state.context) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(state.context);
  }
  if (state.device) alcCloseDevice(state.device);
  state.device = nullptr;
  state.context = nullptr;
  state.info = DeviceInfo{};
  state.lossReported = false;
  state.found = false;
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
                 state.info.name);
  }
  if (state.found) return true;
  if (state.attempt.thread != nullptr) {
    if (!DeviceTryEnded()) return false;
    state.found = state.attempt.found;
    return state.found;
  }
  if (static_cast<int32_t>(nowMs - state.nextRetryMs) < 0) return false;
  state.nextRetryMs = nowMs + kRetryPeriodMs;
  StartDeviceTry();
  // A try run here and now (no thread) has its result already.
  if (state.attempt.thread != nullptr) return false;
  state.found = state.attempt.found;
  return state.found;
}

void SwapInAudioDevice() {
  if (!state.found) return;
  state.found = false;
  DeviceTry& t = state.attempt;
  // Any pass of the music feed under way ends first; later ones see the
  // device lost until the end of the swap and hold their chunk.
  std::unique_lock<std::mutex> music = HoldMusicQueue();
  if (t.device == nullptr) {
    // The same device, context and names on the new output; what the loss
    // stopped starts again (the music with its feed's next chunk).
    RestartEffectLoops();
  } else {
    alcMakeContextCurrent(t.context);
    alcDestroyContext(state.context);
    alcCloseDevice(state.device);
    state.device = t.device;
    state.context = t.context;
    t.device = nullptr;
    t.context = nullptr;
    std::unordered_map<uint32_t, uint32_t> renamed;
    SoundCacheRebuild(&renamed);
    RebuildEffectVoices(renamed);
    RebuildMusicVoice();
  }
  // The output now playing: its name for the line below, and whether it can
  // tell its own loss.
  TakeDeviceInfo(t.info);
  state.deviceLost = false;
  SetUpListener();
  state.lossReported = false;
  state.nextCheckMs = GetTimeMs() + kCheckPeriodMs;
  std::fprintf(stderr, "audio device: \"%s\" is back\n", state.info.name);
}

const char* GetAudioDeviceName() { return state.info.name; }

bool IsAudioOpen() { return state.device != nullptr && state.context != nullptr; }
