// A picture of the contents folder, by its bare file name, loaded into a
// texture; a picture that does not load is reported with the loader's
// failure line.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"

// 0 when loaded; 1, after the failure line on standard output, when not.
int32_t LoadContentsPicture(Texture* texture, const char* name);
