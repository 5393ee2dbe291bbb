// Ogg Vorbis reading over libvorbisfile: opening from a file stream or from
// memory, the format checks every caller needs, chunked reads and seeking.
#include "engine/audio/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <new>

namespace {

// Rates above this are header damage, not audio.
constexpr long kMaxRate = 768000;

struct MemorySource {
  const uint8_t* bytes;
  size_t size;
  size_t offset;
};

size_t MemoryRead(void* out, size_t itemSize, size_t count, void* source) {
  MemorySource* memory = static_cast<MemorySource*>(source);
  if (itemSize == 0) return 0;
  size_t left = memory->size - memory->offset;
  size_t items = count;
  if (items > left / itemSize) items = left / itemSize;
  if (items == 0) return 0;
  std::memcpy(out, memory->bytes + memory->offset, items * itemSize);
  memory->offset += items * itemSize;
  return items;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
  MemorySource* memory = static_cast<MemorySource*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(memory->offset);
  if (whence == SEEK_END) base = static_cast<ogg_int64_t>(memory->size);
  ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(memory->size)) return -1;
  memory->offset = static_cast<size_t>(target);
  return 0;
}

long MemoryTell(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->offset); }

}  // namespace

struct OggStream {
  OggVorbis_File file;
  MemorySource memory;
  int32_t channels;
  int32_t rate;
  double seconds;
  int64_t frames;
  int section;
  // Set when a chained link with another format was reached; cleared by a seek.
  bool formatEnded;
};

namespace {

// Checks the opened stream; on refusal clears it (closing any file) and frees it.
OggStream* FinishOpen(OggStream* stream) {
  // Some streams open positioned past their first samples; read from the start.
  if (ov_pcm_tell(&stream->file) > 0) ov_raw_seek(&stream->file, 0);
  vorbis_info* info = ov_info(&stream->file, -1);
  double seconds = ov_time_total(&stream->file, -1);
  ogg_int64_t frames = ov_pcm_total(&stream->file, -1);
  bool usable = info != nullptr && (info->channels == 1 || info->channels == 2) && info->rate > 0 &&
                info->rate <= kMaxRate && std::isfinite(seconds) && seconds >= 0.0 && frames >= 0;
  if (!usable) {
    ov_clear(&stream->file);
    delete stream;
    return nullptr;
  }
  stream->channels = info->channels;
  stream->rate = static_cast<int32_t>(info->rate);
  stream->seconds = seconds;
  stream->frames = frames;
  stream->section = -1;
  stream->formatEnded = false;
  return stream;
}

}  // namespace

OggStream* OggStreamOpenFile(FILE* file) {
  if (file == nullptr) return nullptr;
  OggStream* stream = new (std::nothrow) OggStream();
  if (stream == nullptr) {
    std::fclose(file);
    return nullptr;
  }
  // On failure libvorbisfile leaves the file open; on success ov_clear closes it.
  if (ov_open(file, &stream->file, nullptr, 0) != 0) {
    std::fclose(file);
    delete stream;
    return nullptr;
  }
  return FinishOpen(stream);
}

OggStream* OggStreamOpenMemory(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr && size > 0) return nullptr;
  OggStream* stream = new (std::nothrow) OggStream();
  if (stream == nullptr) return nullptr;
  stream->memory = MemorySource{bytes, size, 0};
  ov_callbacks callbacks = {MemoryRead, MemorySeek, nullptr, MemoryTell};
  if (ov_open_callbacks(&stream->memory, &stream->file, nullptr, 0, callbacks) != 0) {
    delete stream;
    return nullptr;
  }
  return FinishOpen(stream);
}

void OggStreamClose(OggStream* stream) {
  if (stream == nullptr) return;
  ov_clear(&stream->file);
  delete stream;
}

int32_t OggStreamChannels(const OggStream* stream) { return stream->channels; }
int32_t OggStreamRate(const OggStream* stream) { return stream->rate; }
double OggStreamSeconds(const OggStream* stream) { return stream->seconds; }
int64_t OggStreamFrames(const OggStream* stream) { return stream->frames; }

int32_t OggStreamRead(OggStream* stream, uint8_t* out, int32_t capacity) {
  if (stream->formatEnded) return 0;
  // libvorbisfile refuses a buffer shorter than one frame as an invalid call.
  if (capacity < stream->channels * 2) return 0;
  int section = 0;
  long bytes = ov_read(&stream->file, reinterpret_cast<char*>(out), capacity, 0, 2, 1, &section);
  if (bytes > 0 && section != stream->section) {
    vorbis_info* info = ov_info(&stream->file, section);
    if (info == nullptr || info->channels != stream->channels || info->rate != stream->rate) {
      stream->formatEnded = true;
      return 0;
    }
    stream->section = section;
  }
  return static_cast<int32_t>(bytes);
}

int32_t OggStreamSeek(OggStream* stream, int64_t frame) {
  stream->formatEnded = false;
  if (frame < 0) return 1;
  // libvorbisfile's PCM seek bisects by the pages' granule positions; on a
  // damaged stream whose pages overlap or repeat, that leaves libogg's packet
  // state inconsistent and the next read moves a negative length (a crash).
  // A raw seek to the first byte is safe, so the stream is rewound there and
  // decoded forward to the frame: exact, and the same audio the first pass gave.
  if (ov_raw_seek(&stream->file, 0) != 0) return 1;
  stream->section = -1;
  uint8_t skipped[4096];
  int32_t frameBytes = stream->channels * 2;
  int64_t left = frame;
  while (left > 0) {
    int64_t want = left * frameBytes;
    int32_t capacity = want < int64_t{sizeof skipped} ? static_cast<int32_t>(want) : int32_t{sizeof skipped};
    int32_t n = OggStreamRead(stream, skipped, capacity);
    if (n <= 0) return 1;
    left -= n / frameBytes;
  }
  return 0;
}
