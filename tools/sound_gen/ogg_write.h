// Encodes a float sample buffer as an Ogg Vorbis file with libvorbisenc.
#pragma once

#include <cstdint>

#include "synth.h"

// quality is libvorbisenc's VBR quality (-0.1 .. 1); lowpassKhz, where
// above 0, the frequency above which the encoder drops the sound instead of
// the one it picks for that quality; serial fixes the Ogg stream's serial
// number so the file is the same on every build.
int WriteOggVorbis(const char* path, const AudioBuffer& buffer, float quality, double lowpassKhz, int serial);
