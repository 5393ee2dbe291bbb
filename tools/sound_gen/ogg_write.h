// Encodes a float sample buffer as an Ogg Vorbis file with libvorbisenc.
#pragma once

#include <cstdint>

#include "synth.h"

// quality is libvorbisenc's VBR quality (-0.1 .. 1); serial fixes the Ogg
// stream's serial number so the file is the same on every build.
int WriteOggVorbis(const char* path, const AudioBuffer& buffer, float quality, int serial);
