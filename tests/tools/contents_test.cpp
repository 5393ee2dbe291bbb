// Checks the generated contents folder the game runs from: every file is
// there, every picture decodes through the engine's PNG decoder at the size its
// drawing declares with something drawn in every cell the game shows, the font
// glyphs sit in their character cells, and every sound decodes through the
// engine's Ogg decoder, the music loops joining end to start without a jump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/audio/sound.h"
#include "engine/render/png_decode.h"

namespace {

const std::string kContents = "contents/";

struct Picture {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> pixels;

  uint8_t Alpha(int x, int y) const {
    return channels == 4 ? pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] : 255;
  }
  const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};

bool LoadPicture(const std::string& name, Picture* out) {
  FILE* file = std::fopen((kContents + name).c_str(), "rb");
  if (!file) return false;
  PngImage image{};
  const int32_t result = DecodePngFile(file, &image);
  std::fclose(file);
  if (result != 0) return false;
  out->width = image.width;
  out->height = image.height;
  out->channels = image.code == 0 ? 4 : 3;
  out->pixels.assign(image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height * out->channels);
  FreePngImage(&image);
  return true;
}

// Pixels with some opacity inside the rectangle.
int InkIn(const Picture& p, int x0, int y0, int w, int h) {
  int ink = 0;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) ink += p.Alpha(x, y) > 0 ? 1 : 0;
  }
  return ink;
}

struct Cell {
  int column;
  int row;
};

struct PictureSpec {
  const char* name;
  int width;
  int height;
  int columns;  // the grid the game addresses it by
  int rows;
  std::vector<Cell> usedCells;
};

const std::vector<PictureSpec>& Pictures() {
  static const std::vector<PictureSpec> pictures = {
      {"gameBack.png", 2048, 1152, 2, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
      {"particle.png", 128, 128, 2, 2, {{0, 0}, {1, 0}, {0, 1}}},
      {"White.png", 16, 16, 1, 1, {{0, 0}}},
      {"plate.png", 768, 576, 1, 1, {{0, 0}}},
      {"block.png", 512, 512, 4, 4, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {2, 2}, {3, 2}, {2, 0}, {3, 0}, {0, 1}, {1, 1}}},
      {"blockEf.png", 512, 512, 4, 4,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}}},
      {"sweets.png", 1024, 256, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"balloonS.png", 256, 256, 1, 1, {{0, 0}}},
      {"pemophiSp.png", 1600, 1400, 4, 4,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1},
        {0, 2}, {1, 2}, {2, 2}, {3, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}}},
      {"pemoSitDown.png", 1600, 350, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"shadow.png", 256, 256, 1, 1, {{0, 0}}},
      {"gauge.png", 296, 512, 2, 1, {{0, 0}, {1, 0}}},
      {"font.png", 2048, 256, 32, 4, {}},
      {"plateIcon.png", 256, 256, 1, 1, {{0, 0}}},
      {"poseback.png", 1024, 576, 1, 1, {{0, 0}}},
      {"cursor.png", 128, 128, 1, 1, {{0, 0}}},
      {"howToPlay.png", 512, 128, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"botton.png", 512, 128, 4, 1, {{0, 0}, {1, 0}, {2, 0}}},
      {"settingButtons.png", 512, 256, 4, 2, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}}},
      {"loading.png", 512, 128, 1, 1, {{0, 0}}},
      {"Logo.png", 640, 600, 1, 1, {{0, 0}}},
      {"Logo_pemo.png", 640, 600, 1, 1, {{0, 0}}},
      {"PMBack.png", 1024, 576, 1, 1, {{0, 0}}},
      {"title.png", 768, 768, 1, 2, {{0, 0}, {0, 1}}},
      {"balloonL.png", 768, 384, 1, 1, {{0, 0}}},
      {"pemoglut.png", 2000, 450, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
  };
  return pictures;
}

const std::vector<std::string>& Effects() {
  static const std::vector<std::string> names = {"SE_block.ogg", "SE_make.ogg",  "SE_miss.ogg",     "SE_eat.ogg",
                                                 "SE_fivar.ogg", "SE_norma.ogg", "SE_NewPlate.ogg", "SE_pageFlip.ogg"};
  return names;
}

const std::vector<std::string>& Music() {
  static const std::vector<std::string> names = {"BGM_title.ogg", "BGM_game.ogg", "BGM_clear.ogg"};
  return names;
}

bool DecodeSound(const std::string& name, PcmData* pcm) {
  FILE* file = std::fopen((kContents + name).c_str(), "rb");
  if (!file) return false;
  return DecodeOggFile(file, pcm) == 0;
}

int16_t SampleAt(const PcmData& pcm, int64_t frame, int channel) {
  const uint8_t* p = pcm.data + (frame * pcm.channels + channel) * 2;
  return static_cast<int16_t>(p[0] | (p[1] << 8));
}

TEST(Contents, EveryPictureDecodesAtItsSizeWithEveryUsedCellDrawn) {
  for (const PictureSpec& picture : Pictures()) {
    SCOPED_TRACE(picture.name);
    Picture p;
    ASSERT_TRUE(LoadPicture(picture.name, &p));
    EXPECT_EQ(p.width, picture.width);
    EXPECT_EQ(p.height, picture.height);
    const int cw = p.width / picture.columns, ch = p.height / picture.rows;
    for (const Cell& c : picture.usedCells) {
      EXPECT_GT(InkIn(p, c.column * cw, c.row * ch, cw, ch), cw * ch / 400)
          << "cell " << c.column << "," << c.row << " is (nearly) empty";
    }
  }
}

// What the game does with a picture constrains its alpha: backgrounds and the
// pause card hide what lies beneath, the title overlay must let the
// background through, tinted additive shapes must be pure white.
TEST(Contents, PicturesHaveTheCoverageTheirUseNeeds) {
  struct Case {
    const char* name;
    double minOpaque;       // share of pixels with alpha 255
    double minTransparent;  // share of pixels with alpha 0
    bool whiteOnly;         // every visible pixel is white (the game tints it)
  };
  const Case cases[] = {
      {"gameBack.png", 1.0, 0.0, false}, {"poseback.png", 1.0, 0.0, false}, {"White.png", 1.0, 0.0, true},
      {"PMBack.png", 0.0, 0.6, false},   {"particle.png", 0.0, 0.3, true},  {"blockEf.png", 0.0, 0.5, true},
      // The cursor frames a block: its middle must let the block through.
      {"cursor.png", 0.0, 0.5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture p;
    ASSERT_TRUE(LoadPicture(c.name, &p));
    int64_t opaque = 0, clear = 0, tinted = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const uint8_t a = p.Alpha(x, y);
        opaque += a == 255;
        clear += a == 0;
        const uint8_t* rgb = p.At(x, y);
        if (a > 16 && std::min({rgb[0], rgb[1], rgb[2]}) < 240) ++tinted;
      }
    }
    const double total = static_cast<double>(p.width) * p.height;
    EXPECT_GE(opaque / total, c.minOpaque);
    EXPECT_GE(clear / total, c.minTransparent);
    if (c.whiteOnly) {
      EXPECT_EQ(tinted, 0);
    }
  }
  // The middle of the title overlay, where the character and text stand.
  Picture overlay;
  ASSERT_TRUE(LoadPicture("PMBack.png", &overlay));
  EXPECT_EQ(InkIn(overlay, 200, 150, 624, 300), 0);
}

// The gauge frame is drawn over the bars: its channel (x 42..106 of the
// 148-wide frame, y 10..500 of 510) must be see-through.
TEST(Contents, GaugeFrameChannelIsClear) {
  Picture p;
  ASSERT_TRUE(LoadPicture("gauge.png", &p));
  const double sx = (p.width / 2) / 148.0, sy = p.height / 510.0;
  const int x0 = static_cast<int>(std::ceil(46 * sx)), x1 = static_cast<int>(102 * sx);
  const int y0 = static_cast<int>(std::ceil(24 * sy)), y1 = static_cast<int>(486 * sy);
  EXPECT_EQ(InkIn(p, x0, y0, x1 - x0, y1 - y0), 0);
  // Around the channel the frame itself is drawn.
  EXPECT_GT(InkIn(p, static_cast<int>(30 * sx), y0, static_cast<int>(8 * sx), y1 - y0), 0);
  EXPECT_GT(InkIn(p, static_cast<int>(110 * sx), y0, static_cast<int>(8 * sx), y1 - y0), 0);
}

struct GlyphBox {
  int ink = 0;
  int left = 64, right = -1, top = 64, bottom = -1;
};

GlyphBox GlyphIn(const Picture& font, int code) {
  GlyphBox box;
  const int x0 = (code % 32) * 64, y0 = (code / 32) * 64;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (font.Alpha(x0 + x, y0 + y) == 0) continue;
      ++box.ink;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

TEST(Contents, FontCellsHoldTheirCharacters) {
  Picture font;
  ASSERT_TRUE(LoadPicture("font.png", &font));
  ASSERT_EQ(font.width, 2048);
  ASSERT_EQ(font.height, 256);
  // Row 0 (control codes), the space and DEL stay empty; every printable
  // character has ink, centred across its cell.
  for (int code = 0; code < 128; ++code) {
    SCOPED_TRACE(code);
    const GlyphBox box = GlyphIn(font, code);
    if (code <= 32 || code == 127) {
      EXPECT_EQ(box.ink, 0);
      continue;
    }
    ASSERT_GT(box.ink, 20);
    EXPECT_NEAR((box.left + box.right) / 2.0, 31.5, 2.0);
  }
  // Shapes that give a misplaced grid away: each named cell must hold a glyph
  // of the expected build. Digits and capitals stand on one baseline.
  const GlyphBox zero = GlyphIn(font, '0');
  for (int code : {'1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'C', 'E', 'H', 'M', 'Z'}) {
    SCOPED_TRACE(static_cast<char>(code));
    EXPECT_NEAR(GlyphIn(font, code).bottom, zero.bottom, 1);
    EXPECT_NEAR(GlyphIn(font, code).top, zero.top, 1);
  }
  EXPECT_EQ(23 * 64, ('7' % 32) * 64);
  EXPECT_EQ(1, '7' / 32);
  EXPECT_EQ(3, 'C' % 32);
  EXPECT_EQ(2, 'C' / 32);
  const GlyphBox one = GlyphIn(font, '1'), i = GlyphIn(font, 'I'), w = GlyphIn(font, 'W');
  const GlyphBox dash = GlyphIn(font, '-'), dot = GlyphIn(font, '.'), under = GlyphIn(font, '_');
  const GlyphBox lowerX = GlyphIn(font, 'x'), lowerG = GlyphIn(font, 'g'), bang = GlyphIn(font, '!');
  EXPECT_LT(one.right - one.left, zero.right - zero.left);
  EXPECT_LT(i.right - i.left, w.right - w.left);
  EXPECT_LT(i.right - i.left, GlyphIn(font, 'C').right - GlyphIn(font, 'C').left);
  EXPECT_LT(dash.bottom - dash.top, 16);                // a short bar ...
  EXPECT_GT(dash.top, zero.top + 8);                    // ... halfway up
  EXPECT_GT(dot.top, zero.top + 20);                    // a dot at the foot
  EXPECT_LT(under.bottom - under.top, 14);              // a flat bar ...
  EXPECT_GT(under.top, zero.top + 30);                  // ... at the foot
  EXPECT_GT(lowerX.top, zero.top + 6);                  // x-height below cap height
  EXPECT_GT(lowerG.bottom, zero.bottom + 4);            // a descender
  EXPECT_LT(bang.right - bang.left, zero.right - zero.left);
  // White fill and a dark outline in every glyph: look at the digit 8.
  int white = 0, dark = 0;
  for (int y = 64; y < 128; ++y) {
    for (int x = 24 * 64; x < 25 * 64; ++x) {
      if (font.Alpha(x, y) != 255) continue;
      const uint8_t* rgb = font.At(x, y);
      white += std::min({rgb[0], rgb[1], rgb[2]}) >= 250;
      dark += std::max({rgb[0], rgb[1], rgb[2]}) <= 80;
    }
  }
  EXPECT_GT(white, 100);
  EXPECT_GT(dark, 100);
}

TEST(Contents, EffectsAreShortMonoSounds) {
  for (const std::string& name : Effects()) {
    SCOPED_TRACE(name);
    PcmData pcm{};
    ASSERT_TRUE(DecodeSound(name, &pcm));
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.rate, 44100);
    const double seconds = static_cast<double>(pcm.size) / pcm.bytesPerSecond;
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, 2.0);
    int peak = 0;
    for (int64_t f = 0; f < pcm.size / pcm.blockAlign; ++f) peak = std::max(peak, std::abs(SampleAt(pcm, f, 0)));
    EXPECT_GT(peak, 8000);  // clearly audible
    FreePcmData(&pcm);
  }
}

// A loop plays its last sample and then its first: the step between them must
// be no bigger than the music's own steps between neighbouring samples, and
// neither end is silent (no gap).
TEST(Contents, MusicLoopsAreStereoAndJoinWithoutAJump) {
  for (const std::string& name : Music()) {
    SCOPED_TRACE(name);
    PcmData pcm{};
    ASSERT_TRUE(DecodeSound(name, &pcm));
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.rate, 44100);
    const int64_t frames = pcm.size / pcm.blockAlign;
    const double seconds = static_cast<double>(frames) / pcm.rate;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);
    for (int c = 0; c < 2; ++c) {
      std::vector<int> steps;
      steps.reserve(static_cast<size_t>(frames));
      for (int64_t f = 1; f < frames; ++f) steps.push_back(std::abs(SampleAt(pcm, f, c) - SampleAt(pcm, f - 1, c)));
      std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
      const int typicalLargeStep = steps[steps.size() * 99 / 100];
      const int join = std::abs(SampleAt(pcm, 0, c) - SampleAt(pcm, frames - 1, c));
      EXPECT_LE(join, typicalLargeStep) << "channel " << c;
      double headPower = 0, tailPower = 0;
      const int64_t window = pcm.rate / 20;
      for (int64_t f = 0; f < window; ++f) {
        headPower += std::pow(SampleAt(pcm, f, c), 2.0);
        tailPower += std::pow(SampleAt(pcm, frames - 1 - f, c), 2.0);
      }
      EXPECT_GT(std::sqrt(headPower / window), 300.0) << "silent start, channel " << c;
      EXPECT_GT(std::sqrt(tailPower / window), 300.0) << "silent end, channel " << c;
    }
    FreePcmData(&pcm);
  }
}

}  // namespace
