// The effect buffer table behind LoadSoundEffect's sharing and the device
// recovery: which OpenAL buffer each effect plays, its samples, the file it
// came from and how many owners hold it.
#include "engine/audio/sound_cache.h"

#include <AL/al.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio/audio_internal.h"
#include "engine/audio/sound.h"

namespace {

struct CachedSound {
  std::string path;
  int32_t size;
  int32_t owners;
  int32_t code;
  int32_t rate;
  // What a device that replaces this one makes the buffer again from: the
  // file's Ogg Vorbis bytes, decoded again then (a round's effects are 90 KB
  // encoded, about a megabyte decoded), or for samples that came from no
  // file, the samples as they went into the buffer.
  std::vector<uint8_t> encoded;
  std::vector<uint8_t> pcm;
};

// The buffer's samples on the current device, from what its entry keeps.
void RefillBuffer(uint32_t buffer, const CachedSound& entry) {
  if (entry.encoded.empty()) {
    alBufferData(buffer, AlFormatForCode(entry.code), entry.pcm.data(), entry.size, entry.rate);
    return;
  }
  PcmData pcm{};
  // The same bytes decode to the same samples; the size check guards the rest.
  if (DecodeOggMemory(entry.encoded.data(), entry.encoded.size(), &pcm) == 0 && pcm.size == entry.size) {
    alBufferData(buffer, AlFormatForCode(entry.code), pcm.data, entry.size, entry.rate);
  }
  FreePcmData(&pcm);
}

// Every access under the lock; keyed by buffer name (a round holds about
// ten entries).
struct SoundTable {
  std::mutex lock;
  std::unordered_map<uint32_t, CachedSound> entries;
};

SoundTable table;

}  // namespace

uint32_t SoundCacheAcquire(const char* path, int32_t* size) {
  std::lock_guard<std::mutex> hold(table.lock);
  for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
    if (it->second.path.empty() || it->second.path != path) continue;
    // A buffer of a device that was closed is gone with it; a name reused
    // since then shows another size.
    ALint bytes = -1;
    if (alIsBuffer(it->first)) alGetBufferi(it->first, AL_SIZE, &bytes);
    if (bytes != it->second.size) {
      table.entries.erase(it);
      return 0;
    }
    ++it->second.owners;
    *size = it->second.size;
    return it->first;
  }
  return 0;
}

void SoundCacheAdd(const char* path, uint32_t buffer, const void* pcm, int32_t size, int32_t code,
                   int32_t rate, std::vector<uint8_t>* encoded) {
  if (buffer == 0 || pcm == nullptr || size <= 0) return;
  std::lock_guard<std::mutex> hold(table.lock);
  CachedSound& entry = table.entries[buffer];
  entry = CachedSound{path != nullptr ? path : "", size, 1, code, rate, {}, {}};
  if (encoded != nullptr && !encoded->empty()) {
    entry.encoded = std::move(*encoded);
    return;
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(pcm);
  entry.pcm.assign(bytes, bytes + size);
}

bool SoundCacheRelease(uint32_t buffer) {
  std::lock_guard<std::mutex> hold(table.lock);
  auto it = table.entries.find(buffer);
  if (it == table.entries.end()) return false;
  if (--it->second.owners > 0) return true;
  table.entries.erase(it);
  return false;
}

void SoundCacheForgetName(uint32_t buffer) {
  std::lock_guard<std::mutex> hold(table.lock);
  table.entries.erase(buffer);
}

void SoundCacheRebuild(std::unordered_map<uint32_t, uint32_t>* renamed) {
  std::lock_guard<std::mutex> hold(table.lock);
  std::unordered_map<uint32_t, CachedSound> rebuilt;
  for (auto& [oldName, entry] : table.entries) {
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    (*renamed)[oldName] = buffer;
    if (buffer == 0) continue;
    RefillBuffer(buffer, entry);
    rebuilt[buffer] = std::move(entry);
  }
  table.entries = std::move(rebuilt);
}

int32_t SoundCacheSize() {
  std::lock_guard<std::mutex> hold(table.lock);
  int32_t paths = 0;
  for (const auto& [name, entry] : table.entries) paths += entry.path.empty() ? 0 : 1;
  return paths;
}
