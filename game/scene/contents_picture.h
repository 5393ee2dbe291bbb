// A picture of the contents folder, by its bare file name, loaded into a
// texture; a picture that does not load is reported with the loader's
// failure line.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"

// 0 when loaded; 1, after the failure line on standard output, when not.
int32_t LoadContentsPicture(Texture* texture, const char* name);
// The same for a picture drawn at width x height of the virtual screen,
// which may be kept at a smaller size (LoadTextureDrawnAt).
int32_t LoadContentsPictureDrawnAt(Texture* texture, const char* name, float width, float height);
