// Fuzz target for the PNG decode step: any bytes go in, and either a failure
// comes back with an empty record, or a block of exactly width x height pixels
// in the promised format. The same bytes read through a FILE must agree, and so
// must the strip-by-strip decode: the header first, then every row once, in
// order, forming the same block.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/render/png_decode.h"
#include "engine/render/texture.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "png_decode_fuzz: %s\n", what);
  std::abort();
}

// Checks a successful result and returns its block size in bytes.
size_t CheckImage(const PngImage& image) {
  Require(image.pixels != nullptr, "success without pixels");
  Require(image.width > 0 && image.height > 0, "empty picture reported as decoded");
  Require(static_cast<uint32_t>(image.width) <= kPngMaxSide && static_cast<uint32_t>(image.height) <= kPngMaxSide,
          "side over the limit");
  Require(image.code == kPixelRgb || image.code == kPixelRgba, "unknown pixel code");
  Require(image.sourceColorType >= 0 && image.sourceColorType <= 6, "unknown source colour type");
  size_t channels = image.code == kPixelRgba ? 4 : 3;
  size_t bytes = size_t(image.width) * size_t(image.height) * channels;
  Require(bytes <= kPngMaxPixelBytes, "block over the limit");
  // Reading both ends lets the address sanitizer catch a short block.
  volatile uint8_t sink = image.pixels[0] ^ image.pixels[bytes - 1];
  (void)sink;
  return bytes;
}

// Collects what the strip decode hands out, checking the order of calls.
struct StripCollector {
  PngImage header;
  bool begun;
  int32_t nextRow;
  uint8_t* block;
  size_t rowBytes;
};

int32_t CollectHeader(void* context, const PngImage& header) {
  StripCollector* c = static_cast<StripCollector*>(context);
  Require(!c->begun, "header reported twice");
  Require(header.pixels == nullptr, "header carries pixels");
  c->header = header;
  c->begun = true;
  c->rowBytes = size_t(header.width) * (header.code == kPixelRgba ? 4 : 3);
  c->block = static_cast<uint8_t*>(std::malloc(c->rowBytes * size_t(header.height)));
  Require(c->block != nullptr, "no memory for the collected rows");
  return 0;
}

void CollectRows(void* context, int32_t firstRow, int32_t count, const uint8_t* pixels) {
  StripCollector* c = static_cast<StripCollector*>(context);
  Require(c->begun, "rows before the header");
  Require(firstRow == c->nextRow && count > 0 && firstRow + count <= c->header.height,
          "strip out of order or out of the picture");
  Require(count <= kPngStripRows || (firstRow == 0 && count == c->header.height), "strip too tall");
  std::memcpy(c->block + c->rowBytes * size_t(firstRow), pixels, c->rowBytes * size_t(count));
  c->nextRow += count;
}

void CheckStrips(const uint8_t* data, size_t size, int32_t memoryResult, const PngImage& fromMemory,
                 size_t bytes) {
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return;
  StripCollector c{};
  int32_t result = DecodePngFileInStrips(file, PngRowSink{&c, CollectHeader, CollectRows});
  std::fclose(file);
  Require(result == memoryResult, "strip and whole decodes disagree on success");
  if (result == 0) {
    Require(c.nextRow == fromMemory.height && c.header.width == fromMemory.width &&
                c.header.code == fromMemory.code,
            "strip decode disagrees on the format or left rows out");
    Require(std::memcmp(c.block, fromMemory.pixels, bytes) == 0, "strip decode disagrees on the pixels");
  }
  std::free(c.block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PngImage fromMemory;
  int32_t memoryResult = DecodePngMemory(data, size, &fromMemory);
  Require(memoryResult == 0 || memoryResult == 1, "result is neither 0 nor 1");
  size_t bytes = 0;
  if (memoryResult == 0) {
    bytes = CheckImage(fromMemory);
  } else {
    Require(fromMemory.pixels == nullptr && fromMemory.width == 0 && fromMemory.height == 0,
            "failure left a filled record");
  }

  // fmemopen refuses an empty buffer; the memory path covers that case.
  if (size > 0) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file != nullptr) {
      PngImage fromFile;
      int32_t fileResult = DecodePngFile(file, &fromFile);
      std::fclose(file);
      Require(fileResult == memoryResult, "file and memory decodes disagree on success");
      if (fileResult == 0) {
        Require(fromFile.width == fromMemory.width && fromFile.height == fromMemory.height &&
                    fromFile.code == fromMemory.code,
                "file and memory decodes disagree on the format");
        Require(std::memcmp(fromFile.pixels, fromMemory.pixels, bytes) == 0,
                "file and memory decodes disagree on the pixels");
        FreePngImage(&fromFile);
        Require(fromFile.pixels == nullptr, "free left a pointer behind");
      }
    }
    CheckStrips(data, size, memoryResult, fromMemory, bytes);
  }
  FreePngImage(&fromMemory);
  return 0;
}
