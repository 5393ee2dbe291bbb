// Pictures shared by path: a PNG that several owners load is decoded and
// uploaded once, counted per owner and deleted with its last owner. Internal
// to the texture loader. Main thread only, like all of GL.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"

// The live texture loaded from this path, counted for one more owner; 0 when
// none is held (or the one held belongs to a GL context that is gone).
Texture TextureCacheAcquire(const char* path);
// Records a texture just loaded from the path, held by one owner.
void TextureCacheAdd(const char* path, Texture texture);
// Counts one owner off. True when the texture was shared and others still
// hold it (the caller must not delete it); false when the caller is to
// delete it: its last owner, or a texture the cache never held.
bool TextureCacheRelease(Texture texture);
// A freshly generated name cannot be a live texture: an entry still holding
// it is left from a context that is gone and is dropped.
void TextureCacheForgetName(Texture texture);
// Number of paths held, for tests.
int32_t TextureCacheSize();
