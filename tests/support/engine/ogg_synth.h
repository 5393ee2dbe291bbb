// Test tones made here, encoded as Ogg Vorbis with libvorbisenc, and a way to
// damage an encoded stream's header on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/engine/temp_dir.h"

// Interleaved samples, -1..1, `channels` per frame.
struct ToneSamples {
  int channels;
  int rate;
  std::vector<float> samples;
};

// A sine of `frequency` Hz on the channels whose bit is set in channelMask.
ToneSamples SineTone(int channels, int rate, double seconds, double frequency, float amplitude,
                     uint32_t channelMask = 0xffffffffu);
// Consecutive sine segments of equal length, one frequency each, phase-continuous.
ToneSamples SteppedTone(int channels, int rate, double segmentSeconds, const std::vector<double>& frequencies,
                        float amplitude);

std::vector<uint8_t> EncodeOggVorbis(const ToneSamples& tone);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Rewrites the sample rate in the identification header (and the first
// page's CRC), as a damaged or hostile file would carry it.
bool PatchSampleRate(std::vector<uint8_t>& bytes, uint32_t rate);

