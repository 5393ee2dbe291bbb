// Sound effects shared by path: a file that several owners load is decoded
// into one OpenAL buffer, counted per owner and deleted with its last owner;
// each owner still plays it through a source of its own. Internal to the
// effect loader. Loads and releases run on the main thread; the table is
// locked all the same, so a load from another thread cannot race it.
#pragma once

#include <cstdint>

// The live buffer decoded from this path, counted for one more owner, with
// its byte size; 0 when none is held (or it belongs to a device now gone).
uint32_t SoundCacheAcquire(const char* path, int32_t* size);
// Records a buffer just decoded from the path, held by one owner.
void SoundCacheAdd(const char* path, uint32_t buffer, int32_t size);
// Counts one owner off. True when others still hold the buffer (the caller
// must not delete it); false when the caller is to delete it: its last
// owner, or a buffer the cache never held.
bool SoundCacheRelease(uint32_t buffer);
// A freshly generated buffer name cannot be a live buffer: an entry still
// holding it is left from a device that is gone and is dropped.
void SoundCacheForgetName(uint32_t buffer);
// Number of paths held, for tests.
int32_t SoundCacheSize();
