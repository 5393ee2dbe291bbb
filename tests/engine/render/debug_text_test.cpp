// Checks the built-in debug glyph picture (every glyph inside its own cell)
// and draws debug text in the real frame: glyph pixels where the pattern has
// them, spacing by size, and DebugPrintf's cut at 127 characters.
#include "engine/render/debug_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/debug_glyphs.h"
#include "render_test_scene.h"

namespace {

void ResetDrawState() {
  SetDrawColor(1, 1, 1, 1);
  SetDrawRotation(0);
}

TEST(DebugText, GlyphPictureHoldsEachPatternInItsOwnCell) {
  std::vector<uint8_t> image(kDebugGlyphImageWidth * kDebugGlyphImageHeight * 4);
  BuildDebugGlyphImage(image.data());
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    int cellX = (code % 16) * kDebugGlyphCellWidth;
    int cellY = (code / 16) * kDebugGlyphCellHeight;
    int lit = 0;
    for (int y = 0; y < kDebugGlyphCellHeight; ++y) {
      for (int x = 0; x < kDebugGlyphCellWidth; ++x) {
        const uint8_t* p = &image[((cellY + y) * kDebugGlyphImageWidth + cellX + x) * 4];
        // Pattern pixel (x - 1, (y - 1) / 2): rows are doubled, one free
        // column and row around the glyph keep filtering from bleeding.
        bool expected = x >= 1 && y >= 1 && DebugGlyphBit(uint8_t(code), x - 1, (y - 1) / 2) &&
                        y <= 14;
        ASSERT_EQ(p[3] == 255, expected) << "cell pixel " << x << "," << y;
        ASSERT_EQ(p[0], expected ? 255 : 0);
        lit += expected;
      }
    }
    bool printable = code > 32 && code < 127;
    EXPECT_EQ(lit > 0, printable);
  }
  // 'A' (65) lives in cell (1, 4): its apex row is the middle three columns.
  EXPECT_TRUE(DebugGlyphBit('A', 2, 0));
  EXPECT_FALSE(DebugGlyphBit('A', 0, 0));
  EXPECT_EQ(image[((4 * 16 + 1) * 128 + 1 * 8 + 3) * 4 + 3], 255);
}

TEST(DebugText, CharacterShowsItsGlyphMagnified) {
  BeginTestFrame();
  ResetDrawState();
  SetDebugTextSize(64);  // scale 2: a 32 x 64 quad, 4 screen pixels per texel
  DrawDebugChar(200, 200, 'A');
  std::vector<uint8_t> frame = ReadFramePixels();
  for (int ty = 0; ty < 16; ++ty) {
    for (int tx = 0; tx < 8; ++tx) {
      bool expected = tx >= 1 && ty >= 1 && ty <= 14 && DebugGlyphBit('A', tx - 1, (ty - 1) / 2);
      int x = 184 + tx * 4 + 2;
      int y = 168 + ty * 4 + 2;
      uint8_t red = frame[(size_t(y) * kTestFrameWidth + x) * 4];
      EXPECT_EQ(red > 128, expected) << "texel " << tx << "," << ty << " red " << int(red);
    }
  }
  PixelBox box = FindPixels(frame, IsLit);
  EXPECT_GE(box.left, 184);
  EXPECT_LE(box.right, 215);
  EXPECT_GE(box.top, 168);
  EXPECT_LE(box.bottom, 231);
  SetDebugTextSize(18);
}

// Brightness-weighted mean column of the lit pixels between two columns.
double MeanColumn(const std::vector<uint8_t>& frame, int from, int to) {
  double sum = 0, weight = 0;
  for (int y = 0; y < kTestFrameHeight; ++y) {
    for (int x = from; x < to; ++x) {
      double v = frame[(size_t(y) * kTestFrameWidth + x) * 4];
      sum += v * x;
      weight += v;
    }
  }
  return weight > 0 ? sum / weight : -1;
}

TEST(DebugText, SizeSetsGlyphHeightAndSpacing) {
  struct Case {
    int32_t size;
    double spacing;
    int height;  // lit rows of '|': 14 of the cell's 16, scaled
  } cases[] = {{18, 9, 16}, {32, 16, 28}, {64, 32, 56}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    BeginTestFrame();
    ResetDrawState();
    SetDebugTextSize(c.size);
    EXPECT_EQ(DebugPrintf(300, 300, "%c%c", '|', '|'), 2);
    std::vector<uint8_t> frame = ReadFramePixels();
    double first = MeanColumn(frame, 250, 300 + int(c.spacing / 2));
    double second = MeanColumn(frame, 300 + int(c.spacing / 2), 400);
    EXPECT_NEAR(second - first, c.spacing, 0.05);
    PixelBox box = FindPixels(frame, [](const uint8_t* p) { return p[0] > 40; });
    EXPECT_NEAR(box.bottom - box.top + 1, c.height, 1);
  }
  SetDebugTextSize(18);
}

TEST(DebugText, PrintfCutsLongTextsAt127) {
  BeginTestFrame();
  ResetDrawState();
  SetDebugTextSize(8);  // glyphs 4 units apart
  std::string longText(300, 'H');
  EXPECT_EQ(DebugPrintf(10, 100, "%s", longText.c_str()), 127);
  PixelBox box = FindPixels(ReadFramePixels(), IsLit);
  // Glyph 126 is centred at 10 + 504; a 128th glyph would reach past 514.
  EXPECT_GE(box.right, 10 + 4 * 125);
  EXPECT_LE(box.right, 10 + 4 * 126 + 2);
  EXPECT_EQ(DebugPrintf(10, 100, "%d", 12345), 5);
  SetDebugTextSize(18);
}

}  // namespace
