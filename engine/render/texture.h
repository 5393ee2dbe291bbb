// Textures: GL texture names held by value in their owners, created from
// pixel blocks or decoded from PNG files. Main thread only (needs GL).
#pragma once

#include <cstddef>
#include <cstdint>

using Texture = uint32_t;

// PixelFormat codes for CreateTexture (0 RGBA, 1 RGB, ... 14; 15+ rejected).
constexpr int32_t kPixelRgba = 0;
constexpr int32_t kPixelRgb = 1;

int32_t CreateTexture(Texture* out, int32_t width, int32_t height, int32_t level,
                      int32_t code, const void* pixels);
int32_t CreateTextureFromPixels(Texture* out, int32_t width, int32_t height,
                                int32_t code, const void* pixels);
int32_t CreateEmptyTexture(Texture* out, int32_t width, int32_t height, int32_t code);
// LoadPngTexture at level 0 (so LoadTexture) shares: owners that load the
// same path at the same time get the same texture, decoded once, and it is
// deleted when the last of them calls DeleteTexture. So a loaded picture is
// read-only: UpdateTexture and the sampler setters would change it for all.
int32_t LoadPngTexture(Texture* out, int32_t level, const char* path);
int32_t LoadTexture(Texture* out, const char* path);
int32_t LoadPngTextureFromMemory(Texture* out, int32_t level, const void* data, size_t size);
int32_t UpdateTexture(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t code, const void* pixels);
int32_t DeleteTexture(Texture* texture);
// Both set the modes of the texture GL has bound, for a texture just made:
// quads still waiting to be drawn with it would take the new modes too.
void SetTextureWrap(int32_t s, int32_t t);
void SetTextureFilter(int32_t minification, int32_t magnification);

// Whether a texture of this size samples outside 0..1 by repeating. Always
// on desktop GL; GL ES 2.0 (WebGL 1.0) repeats only pictures whose sides are
// powers of two (others would draw black), so those clamp to their edges.
bool TextureRepeats(int32_t width, int32_t height, bool glEs);
// Whether a PixelFormat code (CreateTexture) or a sub-image code
// (UpdateTexture) can be uploaded at all on this kind of GL: GL ES 2.0 takes
// only formats stored as uploaded, and neither BGR orders nor floats.
bool PixelFormatSupported(int32_t code, bool glEs);
bool SubImageFormatSupported(int32_t code, bool glEs);

// Headless (IsHeadless), the textures made and not deleted yet, for tests.
int32_t HeadlessTextureCount();

// Prints the loader's failure message for a picture, with its bare name.
void PrintTextureLoadFailure(const char* fileName);
