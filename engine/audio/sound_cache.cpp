// The path-keyed table behind LoadSoundEffect's sharing: which OpenAL buffer
// each loaded file produced, its size and how many owners hold it.
#include "engine/audio/sound_cache.h"

#include <AL/al.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

struct CachedSound {
  std::string path;
  int32_t size;
  int32_t owners;
};

std::mutex cacheLock;
// Keyed by buffer name; a round holds about ten entries.
std::unordered_map<uint32_t, CachedSound> cachedSounds;

}  // namespace

uint32_t SoundCacheAcquire(const char* path, int32_t* size) {
  std::lock_guard<std::mutex> hold(cacheLock);
  for (auto it = cachedSounds.begin(); it != cachedSounds.end(); ++it) {
    if (it->second.path != path) continue;
    // A buffer of a device that was closed is gone with it; a name reused
    // since then shows another size.
    ALint bytes = -1;
    if (alIsBuffer(it->first)) alGetBufferi(it->first, AL_SIZE, &bytes);
    if (bytes != it->second.size) {
      cachedSounds.erase(it);
      return 0;
    }
    ++it->second.owners;
    *size = it->second.size;
    return it->first;
  }
  return 0;
}

void SoundCacheAdd(const char* path, uint32_t buffer, int32_t size) {
  if (buffer == 0) return;
  std::lock_guard<std::mutex> hold(cacheLock);
  cachedSounds[buffer] = CachedSound{path, size, 1};
}

bool SoundCacheRelease(uint32_t buffer) {
  std::lock_guard<std::mutex> hold(cacheLock);
  auto it = cachedSounds.find(buffer);
  if (it == cachedSounds.end()) return false;
  if (--it->second.owners > 0) return true;
  cachedSounds.erase(it);
  return false;
}

void SoundCacheForgetName(uint32_t buffer) {
  std::lock_guard<std::mutex> hold(cacheLock);
  cachedSounds.erase(buffer);
}

int32_t SoundCacheSize() {
  std::lock_guard<std::mutex> hold(cacheLock);
  return static_cast<int32_t>(cachedSounds.size());
}
