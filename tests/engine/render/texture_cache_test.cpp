// Pictures loaded by several owners at once: one texture for all of them,
// each owner's handle written and zeroed as if it were alone, the texture
// gone with its last owner and read from the file anew after that.
#include "engine/render/texture_cache.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/texture.h"
#include "support/engine/gl_test_context.h"
#include "support/engine/ogg_synth.h"
#include "support/engine/png_test_files.h"

namespace {

std::string WritePicture(const char* name, std::vector<uint8_t> rgba) {
  std::string path = TestTempDir() + "/" + name;
  EXPECT_TRUE(WriteBytes(path, EncodeTestPng(2, 1, 4, rgba)));
  return path;
}

std::vector<uint8_t> TexturePixels(Texture texture) {
  std::vector<uint8_t> rgba(2 * 1 * 4);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return rgba;
}

const std::vector<uint8_t> kRedGreen = {255, 0, 0, 255, 0, 255, 0, 255};
const std::vector<uint8_t> kBlueWhite = {0, 0, 255, 255, 255, 255, 255, 255};

TEST(TextureSharing, OwnersShareOneTextureUntilTheLastLetsGo) {
  EnsureGlWindow();
  const std::string a = WritePicture("a.png", kRedGreen);
  const std::string b = WritePicture("b.png", kBlueWhite);
  const int32_t entriesBefore = TextureCacheSize();

  Texture first = 0, second = 0, other = 0;
  ASSERT_EQ(LoadTexture(&first, a.c_str()), 0);
  ASSERT_EQ(LoadTexture(&second, a.c_str()), 0);
  ASSERT_EQ(LoadTexture(&other, b.c_str()), 0);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(second, first);
  EXPECT_NE(other, first);
  EXPECT_EQ(TexturePixels(second), kRedGreen);
  EXPECT_EQ(TexturePixels(other), kBlueWhite);
  EXPECT_EQ(TextureCacheSize(), entriesBefore + 2);

  // The first owner lets go: its handle reads 0, the picture stays for the
  // second, and deleting the zeroed handle again changes nothing.
  const Texture shared = first;
  EXPECT_EQ(DeleteTexture(&first), 0);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(DeleteTexture(&first), 0);
  EXPECT_TRUE(glIsTexture(shared));
  EXPECT_EQ(TexturePixels(second), kRedGreen);

  // The last owner lets go: the texture is deleted.
  EXPECT_EQ(DeleteTexture(&second), 0);
  EXPECT_EQ(second, 0u);
  EXPECT_FALSE(glIsTexture(shared));
  EXPECT_EQ(TextureCacheSize(), entriesBefore + 1);

  // Loaded again after that, the file is read anew.
  WritePicture("a.png", kBlueWhite);
  ASSERT_EQ(LoadTexture(&first, a.c_str()), 0);
  EXPECT_TRUE(glIsTexture(first));
  EXPECT_EQ(TexturePixels(first), kBlueWhite);
  DeleteTexture(&first);
  DeleteTexture(&other);
  EXPECT_EQ(TextureCacheSize(), entriesBefore);
}

TEST(TextureSharing, OnlyWholeFileLoadsAtLevelZeroAreShared) {
  EnsureGlWindow();
  const std::string a = WritePicture("c.png", kRedGreen);
  const std::string missing = TestTempDir() + "/missing.png";
  const int32_t entriesBefore = TextureCacheSize();

  // A missing file fails for every owner; nothing is held for it.
  Texture none1 = 7, none2 = 7;
  EXPECT_EQ(LoadTexture(&none1, missing.c_str()), 1);
  EXPECT_EQ(LoadTexture(&none2, missing.c_str()), 1);
  EXPECT_EQ(none1, 0u);
  EXPECT_EQ(none2, 0u);

  // A picture made from pixels or from memory belongs to its owner alone:
  // deleting it never touches a loaded one.
  Texture loaded = 0, fromMemory = 0, fromPixels = 0;
  ASSERT_EQ(LoadTexture(&loaded, a.c_str()), 0);
  const std::vector<uint8_t> png = EncodeTestPng(2, 1, 4, kRedGreen);
  ASSERT_EQ(LoadPngTextureFromMemory(&fromMemory, 0, png.data(), png.size()), 0);
  ASSERT_EQ(CreateTextureFromPixels(&fromPixels, 2, 1, kPixelRgba, kRedGreen.data()), 0);
  EXPECT_NE(fromMemory, loaded);
  EXPECT_NE(fromPixels, loaded);
  const Texture memoryName = fromMemory;
  DeleteTexture(&fromMemory);
  DeleteTexture(&fromPixels);
  EXPECT_FALSE(glIsTexture(memoryName));
  EXPECT_TRUE(glIsTexture(loaded));
  EXPECT_EQ(TextureCacheSize(), entriesBefore + 1);
  DeleteTexture(&loaded);
  EXPECT_EQ(TextureCacheSize(), entriesBefore);
}

}  // namespace
