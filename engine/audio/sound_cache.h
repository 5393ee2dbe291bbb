// The effect buffers: every OpenAL buffer an effect plays, with what it was
// made from (its file's bytes, or its samples) so it can be made again on
// another device. A file that several owners load is decoded into one
// buffer, counted per owner and deleted with its last owner; each owner
// still plays it through a source of its own.
// Internal to engine/audio. Loads and releases run on the main thread; the
// table is locked all the same, so a load from another thread cannot race it.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

// The live buffer decoded from this path, counted for one more owner, with
// its byte size; 0 when none is held (or it belongs to a device now gone).
uint32_t SoundCacheAcquire(const char* path, int32_t* size);
// Records a buffer just filled with these samples (SoundFormat code and
// rate), held by one owner. An empty path is never shared. Given the Ogg
// Vorbis bytes they were decoded from (taken over), the entry keeps those
// instead of the samples and decodes them again for another device.
void SoundCacheAdd(const char* path, uint32_t buffer, const void* pcm, int32_t size, int32_t code,
                   int32_t rate, std::vector<uint8_t>* encoded = nullptr);
// Counts one owner off. True when others still hold the buffer (the caller
// must not delete it); false when the caller is to delete it: its last
// owner, or a buffer the cache never held.
bool SoundCacheRelease(uint32_t buffer);
// A freshly generated buffer name cannot be a live buffer: an entry still
// holding it is left from a device that is gone and is dropped.
void SoundCacheForgetName(uint32_t buffer);
// After a device change, with the new context current: makes every held
// buffer again from what it keeps and fills renamed with old name -> new name
// (0 where the new device refused one).
void SoundCacheRebuild(std::unordered_map<uint32_t, uint32_t>* renamed);
// Number of paths held, for tests.
int32_t SoundCacheSize();
