// Creates, loads, updates and deletes real GL textures and reads them back:
// the pixel-format code table, 1-byte row alignment, the PNG loaders' formats
// and sizes, their failure convention and the loader's message.
#include "engine/render/texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/engine/gl_test_context.h"
#include "support/engine/png_test_files.h"
#include "support/engine/temp_dir.h"

namespace {

GLint LevelParameter(Texture texture, GLenum name) {
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
  glBindTexture(GL_TEXTURE_2D, 0);
  return value;
}

GLint TextureParameter(Texture texture, GLenum name) {
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  glBindTexture(GL_TEXTURE_2D, 0);
  return value;
}

std::vector<uint8_t> ReadBack(Texture texture, GLenum format, size_t bytes) {
  std::vector<uint8_t> out(bytes);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return out;
}

std::vector<uint8_t> Pattern(size_t bytes) {
  std::vector<uint8_t> p(bytes);
  for (size_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(i * 13 + 1);
  return p;
}

TEST(Texture, CodeTableSelectsFormatsAndRefusesUnknownCodes) {
  EnsureGlWindow();
  struct Case {
    int32_t code;
    GLint internal;  // 0: refused
  } cases[] = {
      {0, GL_RGBA}, {1, GL_RGB}, {2, GL_RGBA}, {3, GL_RGB}, {4, GL_LUMINANCE},
      {5, GL_LUMINANCE_ALPHA}, {6, GL_ALPHA}, {7, GL_RGB}, {8, GL_RGBA}, {9, GL_RGB},
      {10, GL_RGBA}, {11, GL_RGB16F}, {12, GL_RGB32F}, {13, GL_ALPHA16F_ARB},
      {14, GL_ALPHA32F_ARB}, {15, 0}, {16, 0}, {255, 0}, {-1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Texture texture = 777;
    int32_t result = CreateTexture(&texture, 5, 3, 0, c.code, nullptr);
    if (c.internal == 0) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(texture, 777u);  // refused before anything was created
      continue;
    }
    ASSERT_EQ(result, 0);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_INTERNAL_FORMAT), c.internal);
    EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_WIDTH), 5);
    EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_HEIGHT), 3);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(DeleteTexture(&texture), 0);
    EXPECT_EQ(texture, 0u);
  }
  Texture none = 0;
  EXPECT_EQ(DeleteTexture(&none), 0);
}

TEST(Texture, OddWidthRowsUploadTightlyPacked) {
  EnsureGlWindow();
  struct Case {
    int32_t code;
    int channels;
    GLenum readFormat;
  } cases[] = {{kPixelRgb, 3, GL_RGB}, {kPixelRgba, 4, GL_RGBA}, {7, 3, GL_BGR}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::vector<uint8_t> pixels = Pattern(75 * 3 * c.channels);
    Texture texture = 0;
    ASSERT_EQ(CreateTextureFromPixels(&texture, 75, 3, c.code, pixels.data()), 0);
    EXPECT_EQ(ReadBack(texture, c.readFormat, pixels.size()), pixels);
    DeleteTexture(&texture);
  }
}

TEST(Texture, UpdateReplacesARectangleByItsOwnCodes) {
  EnsureGlWindow();
  Texture texture = 0;
  std::vector<uint8_t> zero(4 * 4 * 4, 0);
  ASSERT_EQ(CreateTextureFromPixels(&texture, 4, 4, kPixelRgba, zero.data()), 0);
  const uint8_t rgba[4] = {10, 20, 30, 40};
  const uint8_t bgra[4] = {30, 20, 10, 40};
  struct Case {
    int32_t code;
    const uint8_t* pixel;
    int32_t result;
  } cases[] = {{0, rgba, 0}, {16, bgra, 0}, {2, rgba, 1}, {3, rgba, 1}, {18, rgba, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(UpdateTexture(&texture, 0, 0, 4, 4, 0, zero.data()), 0);
    EXPECT_EQ(UpdateTexture(&texture, 2, 1, 1, 1, c.code, c.pixel), c.result);
    std::vector<uint8_t> back = ReadBack(texture, GL_RGBA, zero.size());
    const uint8_t* texel = &back[(1 * 4 + 2) * 4];
    if (c.result == 0) {
      EXPECT_EQ(std::vector<uint8_t>(texel, texel + 4), std::vector<uint8_t>(rgba, rgba + 4));
    } else {
      EXPECT_EQ(texel[0] + texel[1] + texel[2] + texel[3], 0);
    }
  }
  DeleteTexture(&texture);
}

TEST(Texture, PngLoadersKeepSizeAndChooseTheFormat) {
  EnsureGlWindow();
  std::string dir = PngSuiteDir();
  struct Case {
    std::string path;
    int32_t result;
    GLint internal, width, height;
  } cases[] = {
      {dir + "/basn2c08.png", 0, GL_RGB, 32, 32},
      {dir + "/basn6a08.png", 0, GL_RGBA, 32, 32},
      {dir + "/basn3p02.png", 0, GL_RGB, 32, 32},
      {dir + "/tbbn0g04.png", 0, GL_RGBA, 32, 32},
      {dir + "/s39i3p04.png", 0, GL_RGB, 39, 39},
      {dir + "/PngSuite.png", 0, GL_RGB, 256, 256},
      {dir + "/xcsn0g01.png", 1, 0, 0, 0},  // damaged pixel data
      {dir + "/xhdn0g08.png", 1, 0, 0, 0},  // damaged header
      {dir + "/no-such-file.png", 1, 0, 0, 0},
      {dir, 1, 0, 0, 0},  // a folder, not a file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Texture fromFile = 4242;
    EXPECT_EQ(LoadTexture(&fromFile, c.path.c_str()), c.result);
    std::vector<uint8_t> bytes = ReadWholeFile(c.path);
    Texture fromMemory = 4242;
    EXPECT_EQ(LoadPngTextureFromMemory(&fromMemory, 0, bytes.data(), bytes.size()), c.result);
    if (c.result != 0) {
      EXPECT_EQ(fromFile, 0u);
      EXPECT_EQ(fromMemory, 0u);
      continue;
    }
    for (Texture t : {fromFile, fromMemory}) {
      EXPECT_EQ(LevelParameter(t, GL_TEXTURE_INTERNAL_FORMAT), c.internal);
      EXPECT_EQ(LevelParameter(t, GL_TEXTURE_WIDTH), c.width);
      EXPECT_EQ(LevelParameter(t, GL_TEXTURE_HEIGHT), c.height);
    }
    DeleteTexture(&fromFile);
    DeleteTexture(&fromMemory);
  }
}

TEST(Texture, NonPowerOfTwoPictureKeepsItsSizeAndPixels) {
  EnsureGlWindow();
  std::vector<uint8_t> pixels = Pattern(1024 * 576 * 4);
  std::vector<uint8_t> png = EncodeTestPng(1024, 576, 4, pixels);
  ASSERT_FALSE(png.empty());
  Texture texture = 0;
  ASSERT_EQ(LoadPngTextureFromMemory(&texture, 0, png.data(), png.size()), 0);
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_WIDTH), 1024);
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_HEIGHT), 576);
  // The first row of the file is the first row of the texture (v = 0).
  EXPECT_TRUE(ReadBack(texture, GL_RGBA, pixels.size()) == pixels);
  DeleteTexture(&texture);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, size_t count) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, count, file) == count;
  return std::fclose(file) == 0 && written;
}

int LiveTextures() {
  int live = 0;
  for (GLuint name = 1; name < 4096; ++name) live += glIsTexture(name) ? 1 : 0;
  return live;
}

// The file loader fills the texture a strip of rows at a time; the memory
// loader takes the whole block. Heights around the strip size catch a lost,
// repeated or shifted strip; the interlaced file takes the one-block path.
TEST(Texture, FileLoaderStripsGiveTheWholePicture) {
  EnsureGlWindow();
  const std::string path = TestTempDir() + "/strips.png";
  struct Case {
    int width, height, channels;
  } cases[] = {{7, 1, 3}, {33, 31, 4}, {33, 32, 3}, {5, 33, 4}, {130, 100, 4}, {61, 97, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.channels);
    std::vector<uint8_t> pixels = Pattern(size_t(c.width) * c.height * c.channels);
    std::vector<uint8_t> png = EncodeTestPng(c.width, c.height, c.channels, pixels);
    ASSERT_TRUE(WriteFile(path, png, png.size()));
    Texture texture = 0;
    ASSERT_EQ(LoadTexture(&texture, path.c_str()), 0);
    EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_HEIGHT), c.height);
    EXPECT_TRUE(ReadBack(texture, c.channels == 4 ? GL_RGBA : GL_RGB, pixels.size()) == pixels);
    DeleteTexture(&texture);
  }
  const std::string interlaced = PngSuiteDir() + "/basi6a08.png";
  std::vector<uint8_t> bytes = ReadWholeFile(interlaced);
  Texture fromFile = 0, fromMemory = 0;
  ASSERT_EQ(LoadTexture(&fromFile, interlaced.c_str()), 0);
  ASSERT_EQ(LoadPngTextureFromMemory(&fromMemory, 0, bytes.data(), bytes.size()), 0);
  EXPECT_TRUE(ReadBack(fromFile, GL_RGBA, 32 * 32 * 4) == ReadBack(fromMemory, GL_RGBA, 32 * 32 * 4));
  DeleteTexture(&fromFile);
  DeleteTexture(&fromMemory);
}

// A file that ends after some strips were uploaded fails as a whole: handle
// 0, the half-filled texture gone, and nothing shared for the next load.
TEST(Texture, FileCutShortAfterItsFirstStripsLeavesNoTexture) {
  EnsureGlWindow();
  const std::string path = TestTempDir() + "/cut_short.png";
  std::vector<uint8_t> pixels(size_t(256) * 256 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  std::vector<uint8_t> png = EncodeTestPng(256, 256, 4, pixels);
  ASSERT_TRUE(WriteFile(path, png, png.size() * 3 / 4));
  const int liveBefore = LiveTextures();
  for (int attempt = 0; attempt < 2; ++attempt) {
    Texture texture = 4242;
    EXPECT_EQ(LoadTexture(&texture, path.c_str()), 1);
    EXPECT_EQ(texture, 0u);
  }
  EXPECT_EQ(LiveTextures(), liveBefore);
}

TEST(Texture, FailureMessageNamesTheBareFile) {
  testing::internal::CaptureStdout();
  PrintTextureLoadFailure("White.png");
  PrintTextureLoadFailure("font.png");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "テクスチャ読み込み失敗White.png\nテクスチャ読み込み失敗font.png\n");
}

}  // namespace
