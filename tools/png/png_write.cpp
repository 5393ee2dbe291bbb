// PNG writer for the generators: libpng, 8 bits, no interlace, and no time
// chunk, so the same pixels always give the same file.
//
// The pixels are stored exactly, in the smallest of a few layouts: RGB or
// RGBA as given, grey (with alpha) where every pixel is grey, a palette
// (with transparency) where there are at most 256 colours; rows unfiltered,
// or all with one filter (Sub or Up) where that is much smaller; at the
// strongest compression. The game's pictures are mostly flat areas and soft
// edges, which deflate finds as long runs without the filters' help, and an
// unfiltered file loads fastest; smooth gradients (the gauge) shrink much
// with a filter.
#include "png_write.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace {

// One way of storing the picture: colour type, bytes a pixel, the rows as
// stored and, for a palette, its entries and their alphas.
struct Layout {
  int colorType = PNG_COLOR_TYPE_RGB;
  int channels = 3;
  std::vector<uint8_t> rows;
  std::vector<png_color> palette;
  std::vector<uint8_t> alphas;  // trailing opaque entries left out
};

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// Encodes the layout with the given row filters into out; false on failure.
bool Encode(const Layout& layout, int width, int height, int filters, std::vector<uint8_t>* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(layout.channels);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (size_t y = 0; y < rows.size(); ++y) {
    rows[y] = const_cast<png_bytep>(layout.rows.data() + y * stride);
  }
  out->clear();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty()) {
    png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    if (!layout.alphas.empty()) {
      png_set_tRNS(png, info, layout.alphas.data(), static_cast<int>(layout.alphas.size()), nullptr);
    }
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// The grey layout, if every pixel has red = green = blue.
bool GreyLayout(int channels, const std::vector<uint8_t>& pixels, Layout* grey) {
  const size_t count = pixels.size() / static_cast<size_t>(channels);
  grey->channels = channels - 2;
  grey->colorType = channels == 4 ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY;
  grey->rows.resize(count * static_cast<size_t>(grey->channels));
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = &pixels[i * static_cast<size_t>(channels)];
    if (p[0] != p[1] || p[1] != p[2]) return false;
    grey->rows[i * static_cast<size_t>(grey->channels)] = p[0];
    if (channels == 4) grey->rows[i * 2 + 1] = p[3];
  }
  return true;
}

// The palette layout, if there are at most 256 colours (alpha included).
// Translucent entries come first so the transparency table stays short;
// each group in order of first use.
uint32_t ColourKey(const uint8_t* p, int channels) {
  const uint32_t alpha = channels == 4 ? p[3] : 255u;
  return alpha << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}

bool PaletteLayout(int channels, const std::vector<uint8_t>& pixels, Layout* indexed) {
  const size_t count = pixels.size() / static_cast<size_t>(channels);
  std::map<uint32_t, uint8_t> index;
  std::vector<uint32_t> colours;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t key = ColourKey(&pixels[i * static_cast<size_t>(channels)], channels);
    if (index.emplace(key, 0).second) {
      colours.push_back(key);
      if (colours.size() > 256) return false;
    }
  }
  for (int opaque = 0; opaque < 2; ++opaque) {
    for (uint32_t key : colours) {
      if (((key >> 24) == 255) != (opaque == 1)) continue;
      index[key] = static_cast<uint8_t>(indexed->palette.size());
      indexed->palette.push_back(png_color{static_cast<png_byte>(key >> 16), static_cast<png_byte>(key >> 8),
                                           static_cast<png_byte>(key)});
      if (opaque == 0) indexed->alphas.push_back(static_cast<uint8_t>(key >> 24));
    }
  }
  indexed->colorType = PNG_COLOR_TYPE_PALETTE;
  indexed->channels = 1;
  indexed->rows.resize(count);
  for (size_t i = 0; i < count; ++i) {
    indexed->rows[i] = index[ColourKey(&pixels[i * static_cast<size_t>(channels)], channels)];
  }
  return true;
}

}  // namespace

int WritePng(const char* path, int width, int height, int channels, const uint8_t* pixels) {
  if (channels != 3 && channels != 4) return 1;
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels);
  std::vector<Layout> layouts(1);
  layouts[0].colorType = channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
  layouts[0].channels = channels;
  layouts[0].rows.assign(pixels, pixels + bytes);
  Layout grey;
  if (GreyLayout(channels, layouts[0].rows, &grey)) layouts.push_back(std::move(grey));
  Layout indexed;
  if (PaletteLayout(channels, layouts[0].rows, &indexed)) layouts.push_back(std::move(indexed));

  // The smallest unfiltered file and the smallest filtered one; the filtered
  // one is kept only where it is under three quarters of the other's size,
  // as undoing the filters can take several times as long to load (the
  // background's Up rows: 7 % smaller, five times the decode).
  const int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP};
  std::vector<uint8_t> best[2];
  std::vector<uint8_t> candidate;
  for (const Layout& layout : layouts) {
    for (int filters : kFilters) {
      if (!Encode(layout, width, height, filters, &candidate)) return 1;
      std::vector<uint8_t>& kept = best[filters == PNG_FILTER_NONE ? 0 : 1];
      if (kept.empty() || candidate.size() < kept.size()) kept.swap(candidate);
    }
  }
  const std::vector<uint8_t>& chosen = best[1].size() * 4 < best[0].size() * 3 ? best[1] : best[0];
  FILE* file = std::fopen(path, "wb");
  if (!file) return 1;
  const bool written = std::fwrite(chosen.data(), 1, chosen.size(), file) == chosen.size();
  return std::fclose(file) == 0 && written ? 0 : 1;
}
