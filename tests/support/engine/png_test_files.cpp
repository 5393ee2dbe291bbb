// Test helpers for the PNG loader: the conformance suite's folder, file reads
// and PNGs encoded in memory (libpng's simplified writer, or by hand for
// headers no encoder would write).
#include "support/engine/png_test_files.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>

#include "support/engine/test_data.h"

namespace {

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  uLong crc = crc32(0L, out->data() + start, static_cast<uInt>(out->size() - start));
  PutBigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::string PngSuiteDir() { return TestDataDir() + "/pngsuite"; }

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return bytes;
}

std::vector<uint8_t> EncodeTestPng(int width, int height, int channels,
                                   const std::vector<uint8_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = channels == 4 ? PNG_FORMAT_RGBA : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return {};
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}

std::vector<uint8_t> PngWithHeaderSize(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(&header, width);
  PutBigEndian(&header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  PutChunk(&out, "IHDR", header);
  // One row of one RGBA pixel, deflated: far too little for the header's size.
  uint8_t row[5] = {0, 1, 2, 3, 4};
  uLongf packedSize = compressBound(sizeof row);
  std::vector<uint8_t> packed(packedSize);
  compress(packed.data(), &packedSize, row, sizeof row);
  packed.resize(packedSize);
  PutChunk(&out, "IDAT", packed);
  PutChunk(&out, "IEND", {});
  return out;
}
