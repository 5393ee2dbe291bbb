// Real OpenAL Soft output for audio tests: a device whose mix is written to a
// WAV file by OpenAL Soft's wave backend, the file read back, and measures
// over the captured samples. OpenAL Soft reads its configuration once per
// process, so each test program picks one driver set before anything opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes a configuration naming `drivers` ("wave", "null", or a name that
// opens nothing) and points ALSOFT_CONF at it. Call before any device opens.
void ConfigureTestAudio(const std::string& drivers);
// Opens the default device and a current context, as the program's start-up
// does (linear distance model). False when no device opens.
bool OpenTestAudioDevice();
// Destroys the context and closes the device; the WAV file is complete after.
void CloseTestAudioDevice();
std::string CapturedWavePath();
// Seconds of sound the open device has mixed (its clock, ALC_SOFT_device_clock).
double MixedSeconds();
// Waits until the open device has mixed `seconds` more: a loaded machine wakes
// the wave writer late and it then mixes the lost time at once, with the
// sources as they are by then, so timing a test by the clock on the wall
// would not match what is heard.
void WaitMixed(double seconds);

struct WaveClip {
  int channels = 0;
  int rate = 0;
  std::vector<float> samples;  // interleaved
  size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
  float At(size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

// Reads a 32-bit float or 16-bit PCM WAV (plain or extensible); empty on failure.
WaveClip ReadWave(const std::string& path);

// First frame at or after `from` whose |sample| on any channel exceeds threshold; SIZE_MAX if none.
size_t FindOnset(const WaveClip& clip, float threshold, size_t from = 0);
// Last frame whose |sample| exceeds threshold; SIZE_MAX if none.
size_t FindLastAbove(const WaveClip& clip, float threshold);
float PeakLevel(const WaveClip& clip, int channel, size_t from, size_t frames);
float RmsLevel(const WaveClip& clip, int channel, size_t from, size_t frames);
// Frequency by counting zero crossings over the window.
double ZeroCrossingFrequency(const WaveClip& clip, int channel, size_t from, size_t frames);
// Largest change between neighbouring samples over the window: a click shows as a jump.
float LargestStep(const WaveClip& clip, int channel, size_t from, size_t frames);

// Facts of OpenAL objects, for checks that the handle's buffer and source are right.
int32_t AlBufferChannels(uint32_t buffer);
int32_t AlBufferBits(uint32_t buffer);
bool AlSourceIsPlaying(uint32_t source);
int32_t AlSourceQueued(uint32_t source);
