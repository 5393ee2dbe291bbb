// Checks the PNG decode step against the PNG conformance suite (sizes and
// pixel checksums of every valid image, rejection of every corrupt one),
// truncated and oversized inputs, and the RGB/RGBA choice per colour type.
#include "engine/render/png_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/render/texture.h"
#include "support/engine/png_test_files.h"

namespace {

struct SuiteEntry {
  std::string name;
  bool valid;
  uint32_t crc;
};

std::vector<SuiteEntry> ReadSuiteResults() {
  std::vector<SuiteEntry> entries;
  std::ifstream in(PngSuiteDir() + "/image-png-results.txt");
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 2);
    bool valid = value.find("failure") == std::string::npos;
    entries.push_back({line.substr(0, colon), valid, valid ? static_cast<uint32_t>(std::stoul(value)) : 0});
  }
  return entries;
}

// Bit of the PNG colour type that marks colour (types 2, 3, 6).
constexpr int32_t kColourTypeColourBit = 2;

uint32_t ReadBigEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
         (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

// The suite's checksums keep grey images grey; the decoder widens grey to
// RGB, so grey output is folded back (after checking R = G = B).
uint32_t SuiteChecksum(const PngImage& image, bool* greyConsistent) {
  size_t channels = image.code == kPixelRgba ? 4 : 3;
  size_t count = size_t(image.width) * image.height;
  bool grey = (image.sourceColorType & kColourTypeColourBit) == 0;
  std::vector<uint8_t> samples;
  *greyConsistent = true;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = image.pixels + i * channels;
    if (grey) {
      if (p[0] != p[1] || p[0] != p[2]) *greyConsistent = false;
      samples.push_back(p[0]);
      if (channels == 4) samples.push_back(p[3]);
    } else {
      samples.insert(samples.end(), p, p + channels);
    }
  }
  return static_cast<uint32_t>(crc32(0L, samples.data(), static_cast<uInt>(samples.size())));
}

TEST(PngDecode, ConformanceSuiteDecodesOrRejectsEveryFile) {
  std::vector<SuiteEntry> entries = ReadSuiteResults();
  ASSERT_GE(entries.size(), 175u) << "pngsuite not found under " << PngSuiteDir();
  int validCount = 0;
  int rejectedCount = 0;
  for (const SuiteEntry& entry : entries) {
    SCOPED_TRACE(entry.name);
    std::string path = PngSuiteDir() + "/" + entry.name;
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_GT(bytes.size(), 24u);

    PngImage fromMemory;
    int32_t memoryResult = DecodePngMemory(bytes.data(), bytes.size(), &fromMemory);
    PngImage fromFile;
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    int32_t fileResult = DecodePngFile(file, &fromFile);
    std::fclose(file);

    if (!entry.valid) {
      EXPECT_EQ(memoryResult, 1);
      EXPECT_EQ(fileResult, 1);
      EXPECT_EQ(fromMemory.pixels, nullptr);
      EXPECT_EQ(fromFile.pixels, nullptr);
      EXPECT_EQ(fromMemory.width, 0);
      ++rejectedCount;
      continue;
    }
    ASSERT_EQ(memoryResult, 0);
    ASSERT_EQ(fileResult, 0);
    // The size comes from the file's own header, read without libpng.
    EXPECT_EQ(uint32_t(fromMemory.width), ReadBigEndian(bytes, 16));
    EXPECT_EQ(uint32_t(fromMemory.height), ReadBigEndian(bytes, 20));
    bool greyConsistent = false;
    EXPECT_EQ(SuiteChecksum(fromMemory, &greyConsistent), entry.crc);
    EXPECT_TRUE(greyConsistent);
    size_t blockBytes = size_t(fromMemory.width) * fromMemory.height *
                        (fromMemory.code == kPixelRgba ? 4 : 3);
    ASSERT_EQ(fromFile.code, fromMemory.code);
    EXPECT_EQ(0, memcmp(fromFile.pixels, fromMemory.pixels, blockBytes));
    FreePngImage(&fromMemory);
    FreePngImage(&fromFile);
    EXPECT_EQ(fromMemory.pixels, nullptr);
    ++validCount;
  }
  EXPECT_EQ(validCount, 161);
  EXPECT_EQ(rejectedCount, 14);
}

TEST(PngDecode, ColourTypesChooseRgbOrRgba) {
  struct Case {
    const char* file;
    int32_t code;
  } cases[] = {
      {"basn2c08.png", kPixelRgb},   // truecolour
      {"basn2c16.png", kPixelRgb},   // 16-bit truecolour
      {"basn6a08.png", kPixelRgba},  // truecolour with alpha
      {"basn0g01.png", kPixelRgb},   // 1-bit grey
      {"basn4a16.png", kPixelRgba},  // 16-bit grey with alpha
      {"basn3p04.png", kPixelRgb},   // palette without transparency
      {"tbbn3p08.png", kPixelRgba},  // palette with tRNS
      {"tbrn2c08.png", kPixelRgba},  // truecolour with tRNS
      {"tbbn0g04.png", kPixelRgba},  // grey with tRNS
      {"basi6a08.png", kPixelRgba},  // interlaced
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<uint8_t> bytes = ReadWholeFile(PngSuiteDir() + "/" + c.file);
    PngImage image;
    ASSERT_EQ(DecodePngMemory(bytes.data(), bytes.size(), &image), 0);
    EXPECT_EQ(image.code, c.code);
    FreePngImage(&image);
  }
}

TEST(PngDecode, RoundTripKeepsOddWidthRowsExact) {
  // 75 x 3 RGB: rows of 225 bytes, not a multiple of 4.
  struct Case {
    int width, height, channels;
    int32_t code;
  } cases[] = {{75, 3, 3, kPixelRgb}, {75, 3, 4, kPixelRgba}, {1, 1, 4, kPixelRgba}};
  for (const Case& c : cases) {
    std::vector<uint8_t> pixels(size_t(c.width) * c.height * c.channels);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + 3);
    std::vector<uint8_t> png = EncodeTestPng(c.width, c.height, c.channels, pixels);
    ASSERT_FALSE(png.empty());
    PngImage image;
    ASSERT_EQ(DecodePngMemory(png.data(), png.size(), &image), 0);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(image.code, c.code);
    EXPECT_EQ(0, memcmp(image.pixels, pixels.data(), pixels.size()));
    FreePngImage(&image);
  }
}

TEST(PngDecode, TruncatedDataFailsWithoutReadingPastTheEnd) {
  std::vector<uint8_t> pixels(20 * 10 * 4, 0x5A);
  std::vector<uint8_t> png = EncodeTestPng(20, 10, 4, pixels);
  ASSERT_FALSE(png.empty());
  size_t cuts[] = {0, 1, 7, 8, 20, 33, png.size() / 2, png.size() - 13, png.size() - 1};
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    // An exact-size copy, so a read past its end is an ASan report.
    std::vector<uint8_t> prefix(png.begin(), png.begin() + cut);
    PngImage image;
    EXPECT_EQ(DecodePngMemory(prefix.empty() ? nullptr : prefix.data(), prefix.size(), &image), 1);
    EXPECT_EQ(image.pixels, nullptr);
  }
  PngImage image;
  EXPECT_EQ(DecodePngMemory(nullptr, 100, &image), 1);
  EXPECT_EQ(DecodePngFile(nullptr, &image), 1);
}

TEST(PngDecode, AbsurdSizesAreRefusedBeforeAllocating) {
  struct Case {
    uint32_t width, height;
  } cases[] = {
      {100000, 100000},         // beyond the side limit
      {16384, 16384},           // 1 GiB of RGBA: beyond the block limit
      {0x7FFFFFFF, 1},          // the largest width PNG allows
      {kPngMaxSide, 1025},      // 64 MiB + one row
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    std::vector<uint8_t> png = PngWithHeaderSize(c.width, c.height);
    PngImage image;
    EXPECT_EQ(DecodePngMemory(png.data(), png.size(), &image), 1);
    EXPECT_EQ(image.pixels, nullptr);
  }
  // A small header over the same tiny data is read up to the missing rows.
  std::vector<uint8_t> small = PngWithHeaderSize(1, 1);
  PngImage image;
  ASSERT_EQ(DecodePngMemory(small.data(), small.size(), &image), 0);
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(image.pixels[0], 1);
  EXPECT_EQ(image.pixels[3], 4);
  FreePngImage(&image);
}

}  // namespace
