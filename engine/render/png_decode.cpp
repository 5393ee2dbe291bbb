// Decodes a PNG (from memory or an open file) into an 8-bit RGB or RGBA pixel
// block with libpng's low-level reader. libpng reports a damaged file by
// jumping back to the setjmp point; everything allocated is then freed.
#include "engine/render/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "engine/render/texture.h"

namespace {

// Ancillary chunks bigger than this are refused instead of allocated.
constexpr png_alloc_size_t kPngMaxChunkBytes = 8u << 20;
// Largest single allocation libpng may make. Its own buffers for pictures
// within the side limit stay far below this (a 16-bit RGBA row of 16384
// pixels is 128 KiB), but for reading it treats an over-long chunk length as
// a mere warning and then allocates and clears the length the file claims:
// a few hundred hostile bytes would cost gigabytes and seconds. The refused
// allocation makes libpng skip the chunk, and the truncated data ends the decode.
constexpr png_alloc_size_t kPngMaxAllocation = kPngMaxChunkBytes + (64u << 10);

// Reader state for a PNG held in memory: requests past the end are errors.
struct MemoryReader {
  const uint8_t* data;
  size_t offset;
  size_t size;
};

// Everything the decode allocates, kept outside the frame that calls setjmp so
// its values survive the jump back.
struct DecodeState {
  png_structp png;
  png_infop info;
  uint8_t* pixels;
  png_bytep* rows;
  const PngRowSink* sink;  // strips go here instead of one block, when set
};

using SourceSetup = void (*)(png_structp png, void* source);

png_voidp LimitedMalloc(png_structp, png_alloc_size_t size) {
  if (size > kPngMaxAllocation) return nullptr;
  return std::malloc(size);
}

void LimitedFree(png_structp, png_voidp pointer) { std::free(pointer); }

void ReadFromMemory(png_structp png, png_bytep destination, png_size_t length) {
  MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->offset) png_error(png, "read past the end of the data");
  std::memcpy(destination, reader->data + reader->offset, length);
  reader->offset += length;
}

void SetupMemorySource(png_structp png, void* source) {
  png_set_read_fn(png, source, ReadFromMemory);
}

void SetupFileSource(png_structp png, void* source) {
  png_init_io(png, static_cast<FILE*>(source));
}

// Runs the decode proper; libpng errors land back here and return 1. Nothing
// in this frame is changed between setjmp and a possible jump.
int32_t RunDecode(DecodeState* state, SourceSetup setup, void* source, PngImage* out) {
  png_structp png = state->png;
  png_infop info = state->info;
  if (setjmp(png_jmpbuf(png))) return 1;

  png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
  png_set_chunk_malloc_max(png, kPngMaxChunkBytes);
  // Every chunk's CRC is still checked, and it covers the compressed image
  // data byte for byte; zlib's second checksum over the inflated rows adds
  // nothing for a damaged file and costs a fifth of the decode.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  setup(png, source);
  png_read_info(png, info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  int interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);

  // Palette, low-bit grey and tRNS become 8-bit samples with alpha where the
  // file has transparency; 16-bit samples keep their high byte; grey becomes
  // RGB. No gamma transformation is requested, so samples stay as stored.
  png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  size_t channels = png_get_channels(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  if ((channels != 3 && channels != 4) || rowBytes != size_t{width} * channels) {
    png_error(png, "unexpected layout after conversion");
  }
  if (width == 0 || height == 0 || rowBytes > kPngMaxPixelBytes / height) {
    png_error(png, "image too large");
  }

  out->width = static_cast<int32_t>(width);
  out->height = static_cast<int32_t>(height);
  out->code = channels == 4 ? kPixelRgba : kPixelRgb;
  out->sourceColorType = colorType;
  const PngRowSink* sink = state->sink;
  if (sink != nullptr && sink->begin(sink->context, *out) != 0) png_error(png, "refused by the receiver");

  // Interlaced rows are complete only after the last pass, so only a plain
  // file can be handed out strip by strip.
  const bool strips = sink != nullptr && interlace == PNG_INTERLACE_NONE;
  const png_uint_32 bufferRows = strips ? (height < kPngStripRows ? height : kPngStripRows) : height;
  state->pixels = static_cast<uint8_t*>(std::malloc(rowBytes * bufferRows));
  state->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * bufferRows));
  if (state->pixels == nullptr || state->rows == nullptr) png_error(png, "out of memory");
  for (png_uint_32 i = 0; i < bufferRows; ++i) state->rows[i] = state->pixels + i * rowBytes;

  if (strips) {
    for (png_uint_32 first = 0; first < height; first += bufferRows) {
      const png_uint_32 count = height - first < bufferRows ? height - first : bufferRows;
      png_read_rows(png, state->rows, nullptr, count);
      sink->rows(sink->context, static_cast<int32_t>(first), static_cast<int32_t>(count), state->pixels);
    }
  } else {
    png_read_image(png, state->rows);
  }
  png_read_end(png, nullptr);
  if (sink != nullptr && !strips) sink->rows(sink->context, 0, out->height, state->pixels);
  return 0;
}

int32_t Decode(SourceSetup setup, void* source, PngImage* out, const PngRowSink* sink = nullptr) {
  std::memset(out, 0, sizeof *out);
  DecodeState state{};
  state.sink = sink;
  // libpng 1.6 refuses another series' version string (such as "1.5.2"), so
  // the library's own header version is passed.
  state.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr, nullptr, LimitedMalloc,
                                       LimitedFree);
  if (state.png == nullptr) return 1;
  state.info = png_create_info_struct(state.png);
  if (state.info == nullptr) {
    png_destroy_read_struct(&state.png, nullptr, nullptr);
    return 1;
  }
  int32_t result = RunDecode(&state, setup, source, out);
  png_destroy_read_struct(&state.png, &state.info, nullptr);
  std::free(state.rows);
  if (result != 0 || sink != nullptr) {
    std::free(state.pixels);
    out->pixels = nullptr;
    if (result != 0) std::memset(out, 0, sizeof *out);
    return result;
  }
  out->pixels = state.pixels;
  return 0;
}

}  // namespace

int32_t DecodePngMemory(const void* data, size_t size, PngImage* out) {
  if (data == nullptr) {
    std::memset(out, 0, sizeof *out);
    return 1;
  }
  MemoryReader reader{static_cast<const uint8_t*>(data), 0, size};
  return Decode(SetupMemorySource, &reader, out);
}

int32_t DecodePngFile(FILE* file, PngImage* out) {
  if (file == nullptr) {
    std::memset(out, 0, sizeof *out);
    return 1;
  }
  return Decode(SetupFileSource, file, out);
}

int32_t DecodePngFileInStrips(FILE* file, const PngRowSink& sink) {
  PngImage header;
  if (file == nullptr) return 1;
  return Decode(SetupFileSource, file, &header, &sink);
}

void FreePngImage(PngImage* image) {
  std::free(image->pixels);
  image->pixels = nullptr;
}
