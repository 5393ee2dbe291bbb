// The path-keyed table behind LoadTexture's sharing: which texture each
// loaded path produced and how many owners hold it. Owners never see the
// sharing: each gets the name written into its handle and deletes it as
// before. Main thread only.
#include "engine/render/texture_cache.h"

#include "engine/render/gl_api.h"

#include <string>
#include <unordered_map>

namespace {

struct CachedTexture {
  std::string path;
  int32_t owners;
};

// Keyed by texture name; a round holds a few dozen entries at most, so the
// path lookup walks them.
std::unordered_map<Texture, CachedTexture> cachedTextures;

}  // namespace

Texture TextureCacheAcquire(const char* path) {
  for (auto it = cachedTextures.begin(); it != cachedTextures.end(); ++it) {
    if (it->second.path != path) continue;
    // A texture of a context that was closed is gone with it.
    if (!glIsTexture(it->first)) {
      cachedTextures.erase(it);
      return 0;
    }
    ++it->second.owners;
    return it->first;
  }
  return 0;
}

void TextureCacheAdd(const char* path, Texture texture) {
  if (texture == 0) return;
  cachedTextures[texture] = CachedTexture{path, 1};
}

bool TextureCacheRelease(Texture texture) {
  auto it = cachedTextures.find(texture);
  if (it == cachedTextures.end()) return false;
  if (--it->second.owners > 0) return true;
  cachedTextures.erase(it);
  return false;
}

void TextureCacheForgetName(Texture texture) { cachedTextures.erase(texture); }

int32_t TextureCacheSize() { return static_cast<int32_t>(cachedTextures.size()); }
