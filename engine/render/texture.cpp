// Textures: creation from pixel blocks with the program's pixel-format codes,
// the PNG loaders (file and memory) over the shared decode step, sub-rectangle
// updates, deletion and the sampler setters. Main thread, GL context current.
#include "engine/render/texture.h"

#include "engine/render/gl_api.h"

#include <atomic>
#include <cstdio>

#include "engine/app/app.h"

#include "engine/render/png_decode.h"
#include "engine/render/sprite.h"
#include "engine/render/texture_cache.h"

namespace {

struct PixelFormatEntry {
  GLenum upload;
  GLint internal;
  GLenum type;
  bool onGlEs;  // GL ES 2.0 takes it: stored as uploaded, bytes, no BGR order
};

// Indexed by the PixelFormat code. 10 repeats 8; 11 to 14 are the float
// formats, uploaded from RGB or alpha data of that component type.
constexpr PixelFormatEntry kPixelFormats[] = {
    {GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE, true},                       // 0
    {GL_RGB, GL_RGB, GL_UNSIGNED_BYTE, true},                         // 1
    {GL_RGB, GL_RGBA, GL_UNSIGNED_BYTE, false},                       // 2
    {GL_RGBA, GL_RGB, GL_UNSIGNED_BYTE, false},                       // 3
    {GL_LUMINANCE, GL_LUMINANCE, GL_UNSIGNED_BYTE, true},             // 4
    {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, true}, // 5
    {GL_ALPHA, GL_ALPHA, GL_UNSIGNED_BYTE, true},                     // 6
    {GL_BGR, GL_RGB, GL_UNSIGNED_BYTE, false},                        // 7
    {GL_BGR, GL_RGBA, GL_UNSIGNED_BYTE, false},                       // 8
    {GL_BGRA, GL_RGB, GL_UNSIGNED_BYTE, false},                       // 9
    {GL_BGR, GL_RGBA, GL_UNSIGNED_BYTE, false},                       // 10
    {GL_RGB, GL_RGB16F, GL_HALF_FLOAT, false},                        // 11
    {GL_RGB, GL_RGB32F, GL_FLOAT, false},                             // 12
    {GL_ALPHA, GL_ALPHA16F_ARB, GL_HALF_FLOAT, false},                // 13
    {GL_ALPHA, GL_ALPHA32F_ARB, GL_FLOAT, false},                     // 14
};
constexpr int32_t kPixelFormatCount = sizeof kPixelFormats / sizeof kPixelFormats[0];

// Sub-image codes of UpdateTexture whose order GL ES 2.0 lacks.
constexpr int32_t kSubImageBgra = 16;
constexpr int32_t kSubImageBgr = 17;

// Upload formats of UpdateTexture by its own codes; 0 marks a refused code.
GLenum SubImageFormat(int32_t code) {
  switch (code) {
    case 0: return GL_RGBA;
    case 1: return GL_RGB;
    case 4: return GL_LUMINANCE;
    case 5: return GL_LUMINANCE_ALPHA;
    case 6: return GL_ALPHA;
    case kSubImageBgra: return GL_BGRA;
    case kSubImageBgr: return GL_BGR;
    default: return 0;
  }
}

// Headless, every texture is this name: owners see a loaded picture. The
// count of those not deleted yet lets tests find a texture left behind.
constexpr Texture kHeadlessTexture = 1;
std::atomic<int32_t> headlessTextures{0};

int32_t GiveHeadlessTexture(Texture* out) {
  *out = kHeadlessTexture;
  headlessTextures.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// 0 and 1 select the usual modes; any other value is taken as a GL constant.
GLint ModeOr(int32_t value, GLint zeroMode, GLint oneMode) {
  if (value == 0) return zeroMode;
  if (value == 1) return oneMode;
  return value;
}

int32_t TextureFromImage(Texture* out, int32_t level, const PngImage& image) {
  return CreateTexture(out, image.width, image.height, level, image.code, image.pixels);
}

// Builds a texture from a PNG as it decodes: the texture is made empty from
// the header, and each strip of rows goes straight into it.
struct StripUpload {
  Texture* out;
  int32_t level;
  int32_t width;
  GLenum format;
};

int32_t BeginStripUpload(void* context, const PngImage& header) {
  StripUpload* upload = static_cast<StripUpload*>(context);
  upload->width = header.width;
  upload->format = kPixelFormats[header.code].upload;
  return TextureFromImage(upload->out, upload->level, header);
}

void UploadStrip(void* context, int32_t firstRow, int32_t count, const uint8_t* pixels) {
  StripUpload* upload = static_cast<StripUpload*>(context);
  glBindTexture(GL_TEXTURE_2D, *upload->out);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, upload->level, 0, firstRow, upload->width, count, upload->format,
                  GL_UNSIGNED_BYTE, pixels);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

int32_t CreateTexture(Texture* out, int32_t width, int32_t height, int32_t level,
                      int32_t code, const void* pixels) {
  if (!PixelFormatSupported(code, kGlEs)) return 1;
  if (IsHeadless()) return GiveHeadlessTexture(out);
  const PixelFormatEntry& format = kPixelFormats[code];
  const GLint wrap = TextureRepeats(width, height, kGlEs) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  GLuint name = 0;
  glGenTextures(1, &name);
  *out = name;
  if (name == 0) return 1;
  TextureCacheForgetName(name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, level, format.internal, width, height, 0, format.upload,
               format.type, pixels);
  glBindTexture(GL_TEXTURE_2D, 0);
  return 0;
}

int32_t CreateTextureFromPixels(Texture* out, int32_t width, int32_t height, int32_t code,
                                const void* pixels) {
  return CreateTexture(out, width, height, 0, code, pixels);
}

int32_t CreateEmptyTexture(Texture* out, int32_t width, int32_t height, int32_t code) {
  return CreateTexture(out, width, height, 0, code, nullptr);
}

// A file that is already loaded (at level 0) is not decoded again: the new
// owner gets the same texture, which lives until its last owner deletes it.
int32_t LoadPngTexture(Texture* out, int32_t level, const char* path) {
  *out = 0;
  if (path == nullptr) return 1;
  if (IsHeadless()) return GiveHeadlessTexture(out);
  const bool shared = level == 0;
  if (shared) {
    *out = TextureCacheAcquire(path);
    if (*out != 0) return 0;
  }
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 1;
  // Decoded a strip at a time into the texture: no buffer of the picture's
  // size is allocated, touched and given back on every load.
  StripUpload upload{out, level, 0, 0};
  int32_t result = DecodePngFileInStrips(file, PngRowSink{&upload, BeginStripUpload, UploadStrip});
  std::fclose(file);
  if (result != 0) {
    // A file found damaged part way drops the texture its header made.
    if (*out != 0) {
      GLuint name = *out;
      glDeleteTextures(1, &name);
      *out = 0;
    }
    return 1;
  }
  if (shared) TextureCacheAdd(path, *out);
  return 0;
}

int32_t LoadTexture(Texture* out, const char* path) { return LoadPngTexture(out, 0, path); }

int32_t LoadPngTextureFromMemory(Texture* out, int32_t level, const void* data, size_t size) {
  *out = 0;
  PngImage image;
  if (DecodePngMemory(data, size, &image) != 0) return 1;
  int32_t result = TextureFromImage(out, level, image);
  FreePngImage(&image);
  return result;
}

int32_t UpdateTexture(Texture* texture, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t code, const void* pixels) {
  if (!SubImageFormatSupported(code, kGlEs)) return 1;
  if (IsHeadless()) return 0;
  GLenum format = SubImageFormat(code);
  // Quads still waiting must show the picture as it was when they were drawn.
  FlushQuads();
  glBindTexture(GL_TEXTURE_2D, *texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, format, GL_UNSIGNED_BYTE, pixels);
  return 0;
}

int32_t DeleteTexture(Texture* texture) {
  if (texture == nullptr) return 0;
  if (IsHeadless()) {
    if (*texture != 0) headlessTextures.fetch_sub(1, std::memory_order_relaxed);
    *texture = 0;
    return 0;
  }
  FlushQuads();
  // GL ignores name 0, so deleting an empty handle is harmless. A picture
  // other owners still hold stays; this owner only lets go of it.
  if (!TextureCacheRelease(*texture)) glDeleteTextures(1, texture);
  *texture = 0;
  return 0;
}

void SetTextureWrap(int32_t s, int32_t t) {
  if (IsHeadless()) return;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, ModeOr(s, GL_CLAMP_TO_EDGE, GL_REPEAT));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, ModeOr(t, GL_CLAMP_TO_EDGE, GL_REPEAT));
}

void SetTextureFilter(int32_t minification, int32_t magnification) {
  if (IsHeadless()) return;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, ModeOr(minification, GL_LINEAR, GL_NEAREST));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, ModeOr(magnification, GL_LINEAR, GL_NEAREST));
}

bool TextureRepeats(int32_t width, int32_t height, bool glEs) {
  return !glEs || (IsPowerOfTwo(width) && IsPowerOfTwo(height));
}

bool PixelFormatSupported(int32_t code, bool glEs) {
  // Negative codes are outside the table as much as 15 and above are.
  if (code < 0 || code >= kPixelFormatCount) return false;
  return !glEs || kPixelFormats[code].onGlEs;
}

bool SubImageFormatSupported(int32_t code, bool glEs) {
  if (SubImageFormat(code) == 0) return false;
  return !glEs || (code != kSubImageBgra && code != kSubImageBgr);
}

int32_t HeadlessTextureCount() { return headlessTextures.load(std::memory_order_relaxed); }

void PrintTextureLoadFailure(const char* fileName) {
  std::printf("テクスチャ読み込み失敗%s\n", fileName);
  std::fflush(stdout);
}
