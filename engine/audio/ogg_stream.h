// A readable Ogg Vorbis stream of 16-bit PCM, over a file or a memory block.
// The whole-file decoder and the music thread both read through it, and a
// fuzzer can drive it from bytes alone: it needs no audio device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct OggStream;

// Opens a stream that only this module's formats accept: 1 or 2 channels, a
// positive rate and a readable, non-negative length. Takes the file in every
// case: it is closed now on failure, or later by OggStreamClose.
OggStream* OggStreamOpenFile(FILE* file);
// The block must outlive the stream.
OggStream* OggStreamOpenMemory(const uint8_t* bytes, size_t size);
void OggStreamClose(OggStream* stream);

int32_t OggStreamChannels(const OggStream* stream);
int32_t OggStreamRate(const OggStream* stream);
// Length from the headers: seconds (ov_time_total) and frames (ov_pcm_total).
double OggStreamSeconds(const OggStream* stream);
int64_t OggStreamFrames(const OggStream* stream);

// Reads up to capacity bytes of interleaved signed 16-bit little-endian PCM,
// whole frames only. Returns the byte count, 0 at the end of the stream (also
// where a chained link changes the channel count or rate: that audio cannot go
// into the same buffer), or a negative libvorbisfile code on a decode error.
int32_t OggStreamRead(OggStream* stream, uint8_t* out, int32_t capacity);
// Moves to a PCM frame by rewinding to the start and decoding forward (safe on
// damaged streams, costs time in proportion to the frame); 0 on success, 1
// for a frame past the end, which leaves the stream at its end.
int32_t OggStreamSeek(OggStream* stream, int64_t frame);
