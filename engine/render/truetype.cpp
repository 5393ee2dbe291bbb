// The engine's TrueType text engine: FreeType is started at start-up and
// stopped at shutdown with its default style (20 pixels, white). The game
// draws no TrueType text, so no drawing lives here.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

#include <cstdlib>

#include "engine/render/sprite.h"

#ifdef __EMSCRIPTEN__
// FreeType's own module tables (declared in its internal headers): TrueType
// fonts, the tables under them, and the anti-aliased glyph renderer.
extern "C" const FT_Module_Class sfnt_module_class;
extern "C" const FT_Module_Class tt_driver_class;
extern "C" const FT_Module_Class ft_smooth_renderer_class;
#endif

namespace {

constexpr int32_t kTrueTypeDefaultPixelSize = 20;

struct TrueTypeEngine {
  FT_Library library;
  int32_t pixelSize;
  Color color;
};
TrueTypeEngine trueType{nullptr, 0, Color{0, 0, 0, 0}};

#ifdef __EMSCRIPTEN__
void* Allocate(FT_Memory, long size) { return std::malloc(static_cast<size_t>(size)); }
void Free(FT_Memory, void* block) { std::free(block); }
void* Reallocate(FT_Memory, long, long size, void* block) {
  return std::realloc(block, static_cast<size_t>(size));
}
FT_MemoryRec_ heap{nullptr, Allocate, Free, Reallocate};

// The web build starts FreeType with the TrueType modules alone: the default
// set (Type 1, CFF, bitmap fonts, hinters and more) is two fifths of the
// program the page downloads and would never be used.
FT_Error StartLibrary(FT_Library* library) {
  FT_Error error = FT_New_Library(&heap, library);
  const FT_Module_Class* const modules[] = {&sfnt_module_class, &tt_driver_class, &ft_smooth_renderer_class};
  for (const FT_Module_Class* module : modules) {
    if (error == 0) error = FT_Add_Module(*library, module);
  }
  if (error == 0) FT_Set_Default_Properties(*library);
  if (error != 0 && *library != nullptr) FT_Done_Library(*library);
  return error;
}

void StopLibrary(FT_Library library) { FT_Done_Library(library); }
#else
FT_Error StartLibrary(FT_Library* library) { return FT_Init_FreeType(library); }
void StopLibrary(FT_Library library) { FT_Done_FreeType(library); }
#endif

}  // namespace

int32_t TrueTypeInit() {
  if (trueType.library == nullptr && StartLibrary(&trueType.library) != 0) {
    trueType.library = nullptr;
    return 1;
  }
  trueType.pixelSize = kTrueTypeDefaultPixelSize;
  trueType.color = Color{1.0f, 1.0f, 1.0f, 1.0f};
  return 0;
}

void TrueTypeRelease() {
  if (trueType.library != nullptr) StopLibrary(trueType.library);
  trueType.library = nullptr;
}
