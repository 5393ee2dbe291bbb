// The texture rules that differ between desktop GL and GL ES 2.0 (WebGL 1.0):
// which pictures may repeat, and which pixel formats each takes. Pure rules,
// no GL context (the web build runs these tests too); the pictures the game
// ships are checked against them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/app/app.h"
#include "engine/render/texture.h"

namespace {

TEST(TextureRepeats, OnGlEsOnlyPowerOfTwoSidesRepeat) {
  struct Case {
    int32_t width, height;
    bool desktop, glEs;
  };
  const Case cases[] = {
      {256, 256, true, true},   {2048, 256, true, true}, {1, 1, true, true},
      {16, 1024, true, true},   {1024, 576, true, false}, {2048, 1152, true, false},
      {75, 75, true, false},    {512, 300, true, false},  {300, 512, true, false},
      {0, 256, true, false},    {-256, 256, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    EXPECT_EQ(TextureRepeats(c.width, c.height, false), c.desktop);
    EXPECT_EQ(TextureRepeats(c.width, c.height, true), c.glEs);
  }
}

TEST(PixelFormats, GlEsTakesOnlyFormatsStoredAsUploaded) {
  struct Case {
    int32_t code;
    bool desktop, glEs;
  };
  // The game uses 0 (RGBA) and 1 (RGB): both everywhere.
  const Case cases[] = {
      {0, true, true},   {1, true, true},   {2, true, false},  {3, true, false}, {4, true, true},
      {5, true, true},   {6, true, true},   {7, true, false},  {8, true, false}, {9, true, false},
      {10, true, false}, {11, true, false}, {14, true, false}, {15, false, false},
      {-1, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PixelFormatSupported(c.code, false), c.desktop) << c.code;
    EXPECT_EQ(PixelFormatSupported(c.code, true), c.glEs) << c.code;
  }
  const Case subImage[] = {
      {0, true, true},   {1, true, true},    {4, true, true},   {5, true, true},  {6, true, true},
      {16, true, false}, {17, true, false},  {2, false, false}, {3, false, false}, {18, false, false},
  };
  for (const Case& c : subImage) {
    EXPECT_EQ(SubImageFormatSupported(c.code, false), c.desktop) << c.code;
    EXPECT_EQ(SubImageFormatSupported(c.code, true), c.glEs) << c.code;
  }
}

// The size in a PNG file's header; false when it is not a PNG.
bool PngSize(const std::string& path, int32_t* width, int32_t* height) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  unsigned char header[24];
  bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
  std::fclose(file);
  if (!read || header[1] != 'P' || header[2] != 'N' || header[3] != 'G') return false;
  auto be32 = [&](int at) {
    return static_cast<int32_t>(header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]);
  };
  *width = be32(16);
  *height = be32(20);
  return true;
}

// Sampling outside 0..1 shows only where a picture is drawn with texture
// coordinates beyond its edges: the font does that, its cells for the bytes
// 128 to 255 lie left of the picture (negative columns). It must keep
// repeating on GL ES too.
TEST(TextureRepeats, PicturesDrawnRepeatingKeepRepeatingOnGlEs) {
  int32_t width = 0, height = 0;
  ASSERT_TRUE(PngSize(ContentsPath("font.png"), &width, &height))
      << "the generated contents are needed (target contents)";
  EXPECT_TRUE(TextureRepeats(width, height, true)) << width << " x " << height;
}

}  // namespace
