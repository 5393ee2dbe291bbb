// Lays bitmap-font texts out (cells, rows, colours, the 30-glyph limit) and
// draws them in the real frame to check glyph spacing and count; also the
// missing-picture message of FontInit.
#include "engine/render/font.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render_test_scene.h"

namespace {

// A font laid out without GL: style defaults as FontInit leaves them.
BitmapFont MakeLaidOutFont() {
  BitmapFont font;
  std::memset(&font, 0, sizeof font);
  font.styleSize = MakeVec2(32, 32);
  font.styleColor = MakeColor(1, 1, 1, 1);
  font.styleBounds = MakeBounds(0, 0, 32, 32);
  font.advance = 32;
  return font;
}

TEST(Font, CharactersPickTheirCells) {
  struct Case {
    char ch;
    float u, v;
  } cases[] = {
      {'C', 3 / 32.0f, 0.5f},      // capitals: row 2
      {'!', 1 / 32.0f, 0.25f},     // punctuation: row 1
      {'7', 23 / 32.0f, 0.25f},    // digits: row 1, column 55 mod 32
      {' ', 0.0f, 0.25f},
      {'?', 31 / 32.0f, 0.25f},    // 63: last of row 1
      {'@', 0.0f, 0.5f},           // 64: first of row 2
      {'_', 31 / 32.0f, 0.5f},     // 95: last of row 2
      {'`', 0.0f, 0.75f},          // 96: first of row 3
      {'z', 26 / 32.0f, 0.75f},
      {'\x7F', 31 / 32.0f, 0.75f},
      // Bytes above 127 are negative: row 1, a negative column.
      {'\xC8', -24 / 32.0f, 0.25f},
      {'\xFF', -1 / 32.0f, 0.25f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.ch)));
    BitmapFont font = MakeLaidOutFont();
    char text[2] = {c.ch, '\0'};
    FontSetText(&font, text, 10, 20, 1, 1, 1, 1, 32, 32, 32);
    ASSERT_EQ(font.count, 1);
    EXPECT_FLOAT_EQ(font.glyphs[0].uv[0], c.u);
    EXPECT_FLOAT_EQ(font.glyphs[0].uv[1], c.v);
    EXPECT_EQ(font.glyphs[0].uv[2], 1 / 32.0f);
    EXPECT_EQ(font.glyphs[0].uv[3], 0.25f);
  }
}

TEST(Font, SetTextCopiesColourSizeAndAdvance) {
  BitmapFont font = MakeLaidOutFont();
  font.styleDepth = 0.25f;
  font.styleAngle = 10.0f;
  FontSetText(&font, "COMBO!", 100, 50, 1.0f, 0.5f, 0.25f, 0.75f, 48, 40, 64);
  EXPECT_STREQ(font.text, "COMBO!");
  EXPECT_EQ(font.count, 6);
  EXPECT_EQ(font.advance, 64);
  for (int i = 0; i < font.count; ++i) {
    SCOPED_TRACE(i);
    const Sprite& g = font.glyphs[i];
    EXPECT_EQ(g.pos.x, 100.0f);  // spread only when drawn
    EXPECT_EQ(g.pos.y, 50.0f);
    EXPECT_EQ(g.size.x, 48.0f);
    EXPECT_EQ(g.size.y, 40.0f);
    EXPECT_EQ(g.color.g, 0.5f);
    EXPECT_EQ(g.color.a, 0.75f);
    EXPECT_EQ(g.depth, 0.25f);
    EXPECT_EQ(g.angle, 10.0f);
  }
  // The coloured variant keeps sizes and advance.
  FontSetTextColored(&font, "AB", 0, 0, 0, 1, 0, 1);
  EXPECT_EQ(font.count, 2);
  EXPECT_EQ(font.glyphs[1].size.x, 32.0f);  // from the style
  EXPECT_EQ(font.glyphs[1].color.g, 1.0f);
  EXPECT_EQ(font.advance, 64);
}

TEST(Font, LongTextsAreCutToThirtyGlyphs) {
  struct Case {
    size_t length;
    int32_t count;
  } cases[] = {{0, 0}, {29, 29}, {30, 30}, {31, 30}, {200, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    BitmapFont font = MakeLaidOutFont();
    font.stylePos = MakeVec2(-7, -7);  // the field right after the glyphs
    std::string text(c.length, 'x');
    FontSetText(&font, text.c_str(), 0, 0, 1, 1, 1, 1, 32, 32, 32);
    EXPECT_EQ(font.count, c.count);
    EXPECT_EQ(std::strlen(font.text), size_t(c.count));
    EXPECT_EQ(font.text[30], '\0');
    EXPECT_EQ(font.text[31], '\0');
    EXPECT_EQ(font.stylePos.x, -7.0f);
    if (c.count > 0) {
      EXPECT_FLOAT_EQ(font.glyphs[c.count - 1].uv[1], 0.75f);
    }
  }
  BitmapFont font = MakeLaidOutFont();
  FontSetText(&font, nullptr, 0, 0, 1, 1, 1, 1, 32, 32, 32);
  EXPECT_EQ(font.count, 0);
}

TEST(Font, DrawSpreadsGlyphsByTheAdvanceAndDrawsOnlyTheCount) {
  BeginTestFrame();
  BitmapFont font = MakeLaidOutFont();
  font.texture = SolidTexture(255, 255, 255, 255);
  FontSetText(&font, "COMBO!", 100, 100, 1, 1, 1, 1, 32, 32, 32);
  FontDraw(&font);
  const float centres[] = {100, 132, 164, 196, 228, 260};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(font.glyphs[i].pos.x, centres[i]) << i;
  // Drawing again does not drift.
  FontDraw(&font);
  EXPECT_EQ(font.glyphs[5].pos.x, 260.0f);

  struct Case {
    const char* text;
    int32_t advance;
    PixelBox box;
  } cases[] = {
      // 20 x 20 glyphs centred at 300 + i * advance, y 200.
      {"12", 32, {290, 190, 341, 209, 800}},
      {"7", 64, {290, 190, 309, 209, 400}},
      {"", 32, {kTestFrameWidth, kTestFrameHeight, -1, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BeginTestFrame();
    FontSetText(&font, "12345", 300, 200, 1, 1, 1, 1, 20, 20, c.advance);
    FontSetText(&font, c.text, 300, 200, 1, 1, 1, 1, 20, 20, c.advance);
    FontDraw(&font);
    PixelBox box = FindPixels(ReadFramePixels(), IsLit);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.right, c.box.right);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.count, c.box.count);
  }
  FontRelease(&font);
  EXPECT_EQ(font.texture, 0u);
}

TEST(Font, InitReportsAMissingPictureAndKeepsDefaults) {
  EnsureGlWindow();
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  char empty[] = "/tmp/tide_font_test_XXXXXX";
  ASSERT_NE(mkdtemp(empty), nullptr);
  ASSERT_EQ(chdir(empty), 0);
  BitmapFont font;
  std::memset(&font, 0x55, sizeof font);
  testing::internal::CaptureStdout();
  int32_t result = FontInit(&font);
  std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_EQ(chdir(saved), 0);
  rmdir(empty);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(printed, "テクスチャ読み込み失敗font.png\n");
  EXPECT_EQ(font.texture, 0u);
  EXPECT_EQ(font.count, 0);
  EXPECT_EQ(font.advance, 32);
  EXPECT_EQ(font.styleSize.x, 32.0f);
  EXPECT_EQ(font.glyphs[29].size.x, 32.0f);  // every glyph got sprite defaults
  EXPECT_EQ(font.glyphs[29].color.a, 1.0f);
}

}  // namespace
