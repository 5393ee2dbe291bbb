// OpenAL Soft wave capture and the sample measures the audio tests use.
#include "support/engine/wave_capture.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/engine/ogg_synth.h"

namespace {

ALCdevice* testDevice = nullptr;
ALCcontext* testContext = nullptr;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

std::string CapturedWavePath() { return TestTempDir() + "/mix.wav"; }

void ConfigureTestAudio(const std::string& drivers) {
  std::string config = TestTempDir() + "/alsoft.conf";
  std::string text = "[general]\ndrivers = " + drivers + "\n[wave]\nfile = " + CapturedWavePath() + "\n";
  FILE* file = std::fopen(config.c_str(), "w");
  if (file != nullptr) {
    std::fputs(text.c_str(), file);
    std::fclose(file);
  }
  setenv("ALSOFT_CONF", config.c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");
}

bool OpenTestAudioDevice() {
  testDevice = alcOpenDevice(nullptr);
  if (testDevice == nullptr) return false;
  testContext = alcCreateContext(testDevice, nullptr);
  if (testContext == nullptr) {
    alcCloseDevice(testDevice);
    testDevice = nullptr;
    return false;
  }
  alcMakeContextCurrent(testContext);
  alDistanceModel(AL_LINEAR_DISTANCE);
  return true;
}

void CloseTestAudioDevice() {
  alcMakeContextCurrent(nullptr);
  if (testContext != nullptr) alcDestroyContext(testContext);
  if (testDevice != nullptr) alcCloseDevice(testDevice);
  testContext = nullptr;
  testDevice = nullptr;
}

namespace {

LPALCGETINTEGER64VSOFT DeviceClockReader() {
  if (testDevice == nullptr || !alcIsExtensionPresent(testDevice, "ALC_SOFT_device_clock")) return nullptr;
  return reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(testDevice, "alcGetInteger64vSOFT"));
}

}  // namespace

double MixedSeconds() {
  LPALCGETINTEGER64VSOFT read = DeviceClockReader();
  ALCint64SOFT clock = 0;
  if (read != nullptr) read(testDevice, ALC_DEVICE_CLOCK_SOFT, 1, &clock);
  return static_cast<double>(clock) / 1e9;
}

void WaitMixed(double seconds) {
  if (DeviceClockReader() == nullptr) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return;
  }
  const double until = MixedSeconds() + seconds;
  while (MixedSeconds() < until) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

WaveClip ReadWave(const std::string& path) {
  WaveClip clip;
  std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0)
    return clip;
  int bits = 0;
  bool isFloat = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    uint32_t size = Le32(&bytes[at + 4]);
    const uint8_t* body = &bytes[at + 8];
    size_t available = bytes.size() - (at + 8);
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && available >= 16) {
      uint16_t tag = Le16(body);
      clip.channels = Le16(body + 2);
      clip.rate = static_cast<int>(Le32(body + 4));
      bits = Le16(body + 14);
      // Extensible: the sub-format GUID starts with the plain format tag.
      if (tag == 0xfffe && available >= 26) tag = Le16(body + 24);
      isFloat = tag == 3;
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      size_t length = size < available ? size : available;
      int width = bits / 8;
      if (clip.channels <= 0 || width <= 0) return WaveClip{};
      size_t count = length / width;
      clip.samples.resize(count);
      for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = body + i * width;
        if (isFloat && width == 4) {
          uint32_t word = Le32(p);
          float value;
          std::memcpy(&value, &word, 4);
          clip.samples[i] = value;
        } else if (width == 2) {
          clip.samples[i] = static_cast<int16_t>(Le16(p)) / 32768.0f;
        }
      }
      return clip;
    }
    at += 8 + size + (size & 1u);
  }
  return WaveClip{};
}

size_t FindOnset(const WaveClip& clip, float threshold, size_t from) {
  for (size_t f = from; f < clip.Frames(); ++f)
    for (int c = 0; c < clip.channels; ++c)
      if (std::fabs(clip.At(f, c)) > threshold) return f;
  return SIZE_MAX;
}

size_t FindLastAbove(const WaveClip& clip, float threshold) {
  for (size_t f = clip.Frames(); f-- > 0;)
    for (int c = 0; c < clip.channels; ++c)
      if (std::fabs(clip.At(f, c)) > threshold) return f;
  return SIZE_MAX;
}

float PeakLevel(const WaveClip& clip, int channel, size_t from, size_t frames) {
  float peak = 0.0f;
  for (size_t f = from; f < from + frames && f < clip.Frames(); ++f) peak = std::fmax(peak, std::fabs(clip.At(f, channel)));
  return peak;
}

float RmsLevel(const WaveClip& clip, int channel, size_t from, size_t frames) {
  double sum = 0.0;
  size_t count = 0;
  for (size_t f = from; f < from + frames && f < clip.Frames(); ++f, ++count) sum += clip.At(f, channel) * clip.At(f, channel);
  return count > 0 ? static_cast<float>(std::sqrt(sum / count)) : 0.0f;
}

double ZeroCrossingFrequency(const WaveClip& clip, int channel, size_t from, size_t frames) {
  int crossings = 0;
  size_t end = from + frames < clip.Frames() ? from + frames : clip.Frames();
  for (size_t f = from + 1; f < end; ++f)
    if ((clip.At(f - 1, channel) < 0.0f) != (clip.At(f, channel) < 0.0f)) ++crossings;
  return end > from ? crossings / 2.0 * clip.rate / static_cast<double>(end - from) : 0.0;
}

float LargestStep(const WaveClip& clip, int channel, size_t from, size_t frames) {
  float largest = 0.0f;
  for (size_t f = from + 1; f < from + frames && f < clip.Frames(); ++f)
    largest = std::fmax(largest, std::fabs(clip.At(f, channel) - clip.At(f - 1, channel)));
  return largest;
}

int32_t AlBufferChannels(uint32_t buffer) {
  ALint value = 0;
  alGetBufferi(buffer, AL_CHANNELS, &value);
  return value;
}

int32_t AlBufferBits(uint32_t buffer) {
  ALint value = 0;
  alGetBufferi(buffer, AL_BITS, &value);
  return value;
}

bool AlSourceIsPlaying(uint32_t source) {
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

int32_t AlSourceQueued(uint32_t source) {
  ALint value = 0;
  alGetSourcei(source, AL_BUFFERS_QUEUED, &value);
  return value;
}
