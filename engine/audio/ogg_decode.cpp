// Whole-stream Ogg Vorbis decoding into one block of 16-bit PCM, from an open
// file or from memory, and the PCM record's helpers.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/audio/ogg_stream.h"
#include "engine/audio/sound.h"

namespace {

// A short effect is a few seconds; a header claiming more than this is damage
// (or hostile) and is refused before anything is allocated.
constexpr double kMaxDecodedBytes = 64.0 * 1024 * 1024;
constexpr int32_t kReadChunk = 4096;

int32_t DecodeStream(OggStream* stream, PcmData* out) {
  if (stream == nullptr) return 1;
  int32_t channels = OggStreamChannels(stream);
  int32_t rate = OggStreamRate(stream);
  int32_t blockAlign = channels * 2;
  // The size the headers promise, rounded up to whole frames.
  double estimate = std::ceil(OggStreamSeconds(stream) * channels * rate * 2.0);
  if (!(estimate >= 1.0) || estimate > kMaxDecodedBytes) {
    OggStreamClose(stream);
    return 1;
  }
  int32_t capacity = static_cast<int32_t>(estimate);
  capacity += (blockAlign - capacity % blockAlign) % blockAlign;
  uint8_t* data = static_cast<uint8_t*>(std::malloc(capacity));
  if (data == nullptr) {
    OggStreamClose(stream);
    return 1;
  }
  int32_t done = 0;
  uint8_t tail[kReadChunk];
  while (done < capacity) {
    int32_t left = capacity - done;
    // The last few bytes go through a full-size chunk so a frame never straddles
    // the end of the block; what does not fit is past the promised length.
    int32_t n = left >= kReadChunk ? OggStreamRead(stream, data + done, left)
                                   : OggStreamRead(stream, tail, kReadChunk);
    if (n == 0) break;
    if (n < 0) {
      std::free(data);
      OggStreamClose(stream);
      return 1;
    }
    if (left < kReadChunk) {
      n = n < left ? n : left;
      std::memcpy(data + done, tail, n);
    }
    done += n;
  }
  OggStreamClose(stream);
  if (done == 0) {
    std::free(data);
    return 1;
  }
  out->channels = channels;
  out->rate = rate;
  out->bytesPerSecond = channels * rate * 2;
  out->blockAlign = blockAlign;
  out->bitsPerSample = 16;
  out->data = data;
  // The count actually decoded: headers may promise more than the stream
  // holds, and the unwritten tail would play as noise.
  out->size = done;
  return 0;
}

}  // namespace

int32_t SoundFormatFor(int32_t channels, int32_t bits) {
  if (channels == 1) return bits == 8 ? 0 : 1;
  if (channels == 2) return bits == 8 ? 2 : 3;
  return -1;
}

int32_t DecodeOggFile(FILE* file, PcmData* out) {
  if (out == nullptr) {
    if (file != nullptr) std::fclose(file);
    return 1;
  }
  *out = PcmData{};
  return DecodeStream(OggStreamOpenFile(file), out);
}

int32_t DecodeOggMemory(const uint8_t* bytes, size_t size, PcmData* out) {
  if (out == nullptr) return 1;
  *out = PcmData{};
  return DecodeStream(OggStreamOpenMemory(bytes, size), out);
}

void FreePcmData(PcmData* pcm) {
  if (pcm == nullptr) return;
  std::free(pcm->data);
  *pcm = PcmData{};
}
