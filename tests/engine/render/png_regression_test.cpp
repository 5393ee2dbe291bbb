// Inputs that once made the PNG decode step misbehave, kept as regression
// cases: a chunk whose length field claims gigabytes must be refused without
// that memory ever being allocated, while honest ancillary chunks still read.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/render/png_decode.h"
#include "support/engine/png_test_files.h"

namespace {

std::string SourceDir() {
  const char* dir = std::getenv("TIDE_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

// A 2 x 2 RGBA picture with one extra chunk right after IHDR: its length field
// says `declared`, and `body` bytes follow (then a CRC when the body is whole).
std::vector<uint8_t> PngWithChunk(const char* type, uint32_t declared, uint32_t body) {
  std::vector<uint8_t> picture = EncodeTestPng(2, 2, 4, std::vector<uint8_t>(16, 200));
  constexpr size_t kAfterIhdr = 8 + 12 + 13;
  std::vector<uint8_t> out(picture.begin(), picture.begin() + kAfterIhdr);
  PutBigEndian(&out, declared);
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  // A tEXt body: keyword, separator, text.
  const char keyword[] = "Comment";
  for (uint32_t i = 0; i < body; ++i) out.push_back(i < 7 ? keyword[i] : i == 7 ? 0 : 'x');
  if (body == declared) {
    uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBigEndian(&out, static_cast<uint32_t>(crc));
    out.insert(out.end(), picture.begin() + kAfterIhdr, picture.end());
  }
  return out;
}

struct ChunkCase {
  const char* name;
  std::vector<uint8_t> bytes;
  int32_t result;
};

TEST(PngRegressionTest, ChunkLengthsAreBoundedBeforeAllocation) {
  std::vector<ChunkCase> cases = {
      // Found by fuzzing: an iTXt chunk claiming 1.6 GB in a 456-byte file.
      {"stored iTXt claiming 1.6 GB", ReadWholeFile(SourceDir() + "/tests/data/png/huge_itxt_length.png"), 1},
      {"iTXt claiming 1.5 GB", PngWithChunk("iTXt", 0x60000000u, 40), 1},
      {"tEXt claiming 2 GB", PngWithChunk("tEXt", 0x7fffffffu, 40), 1},
      {"zTXt claiming 1 GB", PngWithChunk("zTXt", 0x40000000u, 40), 1},
      {"iCCP claiming 1 GB", PngWithChunk("iCCP", 0x40000000u, 40), 1},
      {"sPLT claiming 1 GB", PngWithChunk("sPLT", 0x40000000u, 40), 1},
      {"eXIf claiming 1 GB", PngWithChunk("eXIf", 0x40000000u, 40), 1},
      {"tEXt claiming 9 MB", PngWithChunk("tEXt", 9u << 20, 40), 1},
      // Honest chunks still read: the picture decodes.
      {"whole tEXt of 100 KB", PngWithChunk("tEXt", 100u << 10, 100u << 10), 0},
      {"whole tEXt of 20 bytes", PngWithChunk("tEXt", 20, 20), 0},
  };
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.bytes.empty());
    long before = PeakRssKb();
    PngImage image;
    EXPECT_EQ(DecodePngMemory(c.bytes.data(), c.bytes.size(), &image), c.result);
    // The claimed lengths are hundreds of megabytes at least; decoding must not
    // come anywhere near them.
    EXPECT_LT(PeakRssKb() - before, 64 * 1024);
    if (c.result == 0) {
      EXPECT_EQ(image.width, 2);
      EXPECT_EQ(image.height, 2);
      ASSERT_NE(image.pixels, nullptr);
      EXPECT_EQ(image.pixels[0], 200);
    } else {
      EXPECT_EQ(image.pixels, nullptr);
    }
    FreePngImage(&image);
  }
}

}  // namespace
