// Draws sprites into the real 1024 x 576 frame (Mesa under Xvfb) and reads
// the pixels back: anchors and rotation about pos, the depth rule through
// transparent texels, UV sub-rectangles shown upright, tint and full cover.
#include "engine/render/sprite.h"

#include <gtest/gtest.h>

#include "render_test_scene.h"

namespace {

using DrawFn = void (*)(const Sprite*, const Texture*);

Sprite MakeSprite(float x, float y, float w, float h, float angle = 0.0f, float depth = 0.0f) {
  Sprite s;
  SpriteInit(&s);
  s.pos = MakeVec2(x, y);
  s.size = MakeVec2(w, h);
  s.angle = angle;
  s.depth = depth;
  return s;
}

TEST(Sprite, AnchorsAndRotationCoverTheirPixels) {
  struct Case {
    const char* name;
    DrawFn draw;
    float x, y, w, h, angle;
    PixelBox box;  // inclusive pixel box
  } cases[] = {
      {"centred", DrawSprite, 100, 100, 40, 20, 0, {80, 90, 119, 109, 800}},
      {"centred turned 90", DrawSprite, 100, 100, 40, 20, 90, {90, 80, 109, 119, 800}},
      {"centred turned -90", DrawSprite, 100, 100, 40, 20, -90, {90, 80, 109, 119, 800}},
      {"top-left", DrawSpriteTopLeft, 0, 0, 32, 32, 0, {0, 0, 31, 31, 1024}},
      {"bottom-left", DrawSpriteBottomLeft, 0, 32, 32, 32, 0, {0, 0, 31, 31, 1024}},
      {"top-right", DrawSpriteTopRight, 32, 0, 32, 32, 0, {0, 0, 31, 31, 1024}},
      {"bottom-right", DrawSpriteBottomRight, 32, 32, 32, 32, 0, {0, 0, 31, 31, 1024}},
      // The quad swings about its anchor corner, not its centre.
      {"top-left turned 90", DrawSpriteTopLeft, 100, 100, 40, 20, 90, {80, 100, 99, 139, 800}},
      {"bottom-left turned 180", DrawSpriteBottomLeft, 300, 300, 40, 20, 180,
       {260, 300, 299, 319, 800}},
  };
  Texture white = SolidTexture(255, 255, 255, 255);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BeginTestFrame();
    Sprite s = MakeSprite(c.x, c.y, c.w, c.h, c.angle);
    c.draw(&s, &white);
    PixelBox box = FindPixels(ReadFramePixels(), IsLit);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.right, c.box.right);
    EXPECT_EQ(box.bottom, c.box.bottom);
    EXPECT_EQ(box.count, c.box.count);
  }
  DeleteTexture(&white);
}

TEST(Sprite, FullScreenSpriteCoversTheFrameWithItsTint) {
  BeginTestFrame();
  Texture white = SolidTexture(255, 255, 255, 255);
  Sprite s = MakeSprite(512, 288, 1024, 576);
  s.color = MakeColor(1.0f, 0.0f, 1.0f, 1.0f);
  DrawSprite(&s, &white);
  PixelBox box = FindPixels(ReadFramePixels(),
                            [](const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; });
  EXPECT_EQ(box.count, int64_t{kTestFrameWidth} * kTestFrameHeight);
  // Half alpha over black fades the tint to half.
  BeginTestFrame();
  s.color = MakeColor(1.0f, 1.0f, 1.0f, 0.5f);
  DrawSprite(&s, &white);
  Color4 faded = PixelAt(700, 400);
  EXPECT_NEAR(faded.r, 128, 2);
  EXPECT_NEAR(faded.g, 128, 2);
  DeleteTexture(&white);
}

TEST(Sprite, LargerDepthStaysInFrontEvenThroughTransparentTexels) {
  // 2 x 2 texture: the top-left texel is fully transparent, the rest red.
  Texture holed = MakeTexture(2, 2, {0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255});
  Texture green = SolidTexture(0, 255, 0, 255);
  struct Case {
    const char* name;
    float depthA, depthB;
    Color4 atSolidOverlap;     // where A's red texels and B overlap
    Color4 atTransparentPart;  // A's transparent quarter, also covered by B
  } cases[] = {
      // Equal depths: painter's order, B drawn later wins; A's hole shows B.
      {"equal depths", 0.0f, 0.0f, {0, 255, 0, 255}, {0, 255, 0, 255}},
      // A in front: it hides B, and its transparent quarter hides B too.
      {"A in front", 0.5f, 0.0f, {255, 0, 0, 255}, {0, 0, 0, 255}},
      // B in front and drawn later: B everywhere it covers.
      {"B in front", 0.0f, 0.5f, {0, 255, 0, 255}, {0, 255, 0, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BeginTestFrame();
    // A covers 100..199; its transparent quarter is 100..149 x 100..149.
    Sprite a = MakeSprite(100, 100, 100, 100, 0, c.depthA);
    DrawSpriteTopLeft(&a, &holed);
    // B covers 120..179 x 120..179.
    Sprite b = MakeSprite(120, 120, 60, 60, 0, c.depthB);
    DrawSpriteTopLeft(&b, &green);
    EXPECT_EQ(PixelAt(170, 170), c.atSolidOverlap);
    EXPECT_EQ(PixelAt(130, 130), c.atTransparentPart);
    EXPECT_EQ(PixelAt(110, 190), (Color4{255, 0, 0, 255}));
  }
  // Depths outside 0..1 are clipped away.
  BeginTestFrame();
  Sprite far = MakeSprite(300, 300, 50, 50, 0, -0.1f);
  Sprite near = MakeSprite(400, 300, 50, 50, 0, 1.1f);
  DrawSprite(&far, &green);
  DrawSprite(&near, &green);
  EXPECT_EQ(FindPixels(ReadFramePixels(), IsLit).count, 0);
  DeleteTexture(&holed);
  DeleteTexture(&green);
}

TEST(Sprite, UvSubRectangleIsShownUpright) {
  // 8 x 4 texture: quarter columns 2 texels wide, halves 2 texels tall. The
  // second quarter column's bottom half holds four colours, one per texel.
  std::vector<uint8_t> pixels(8 * 4 * 4, 0);
  auto put = [&](int x, int y, Color4 c) {
    uint8_t* p = &pixels[(y * 8 + x) * 4];
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) put(x, y, {50, 50, 50, 255});
  const Color4 kTopLeft{255, 0, 0, 255}, kTopRight{0, 255, 0, 255};
  const Color4 kBottomLeft{0, 0, 255, 255}, kBottomRight{255, 255, 0, 255};
  put(2, 2, kTopLeft);
  put(3, 2, kTopRight);
  put(2, 3, kBottomLeft);
  put(3, 3, kBottomRight);
  Texture atlas = MakeTexture(8, 4, pixels);

  BeginTestFrame();
  Sprite s = MakeSprite(200, 200, 100, 100);
  s.uv[0] = 0.25f, s.uv[1] = 0.5f, s.uv[2] = 0.25f, s.uv[3] = 0.5f;
  DrawSpriteTopLeft(&s, &atlas);
  EXPECT_EQ(PixelAt(225, 225), kTopLeft);
  EXPECT_EQ(PixelAt(275, 225), kTopRight);
  EXPECT_EQ(PixelAt(225, 275), kBottomLeft);
  EXPECT_EQ(PixelAt(275, 275), kBottomRight);
  // Nothing of the rest of the atlas shows inside the quad.
  PixelBox grey = FindPixels(ReadFramePixels(), [](const uint8_t* p) { return p[0] == 50; });
  EXPECT_EQ(grey.count, 0);

  // The flipped variant shows the same rectangle upside down.
  BeginTestFrame();
  SetDrawColor(1, 1, 1, 1);
  SetDrawRotation(0);
  SetDrawUVFlipped(0.25f, 0.5f, 0.25f, 0.5f);
  SetQuadTopLeft(100, 100);
  SetDrawPosition(200, 200, 0);
  BindDrawTexture(&atlas);
  DrawQuad();
  EXPECT_EQ(PixelAt(225, 225), kBottomLeft);
  EXPECT_EQ(PixelAt(275, 275), kTopRight);
  DeleteTexture(&atlas);
}

TEST(Sprite, BoundsAreTheCentredBoxAndAreKept) {
  struct Case {
    Vec2 pos, size;
    float margin;
    Bounds expected;
  } cases[] = {
      {{100, 50}, {40, 20}, 0, {40, 60, 80, 120}},
      {{0, 0}, {32, 32}, 0, {-16, 16, -16, 16}},
      {{100, 50}, {40, 20}, 5, {35, 65, 75, 125}},
      {{10, 10}, {4, 4}, -1, {9, 11, 9, 11}},
  };
  for (const Case& c : cases) {
    Sprite s;
    SpriteInit(&s);
    s.pos = c.pos;
    s.size = c.size;
    Bounds out{};
    if (c.margin == 0) {
      SpriteBounds(&s, &out);
    } else {
      SpriteBoundsWithMargin(&s, &out, c.margin);
    }
    const Bounds* both[] = {&out, &s.bounds};
    for (const Bounds* b : both) {
      EXPECT_EQ(b->top, c.expected.top);
      EXPECT_EQ(b->bottom, c.expected.bottom);
      EXPECT_EQ(b->left, c.expected.left);
      EXPECT_EQ(b->right, c.expected.right);
    }
  }
}

TEST(Sprite, InitSetsDefaultsButKeepsOwnerSpares) {
  Sprite s;
  for (float& f : s.spare4) f = 7.0f;
  s.spare2[0] = s.spare3[2] = 9.0f;
  s.depth = 0.3f;
  SpriteInit(&s);
  EXPECT_EQ(s.size.x, 32.0f);
  EXPECT_EQ(s.uv[2], 1.0f);
  EXPECT_EQ(s.color.a, 1.0f);
  EXPECT_EQ(s.bounds.right, 32.0f);
  EXPECT_EQ(s.depth, 0.0f);
  EXPECT_EQ(s.spare2[0], 0.0f);
  EXPECT_EQ(s.spare3[2], 0.0f);
  EXPECT_EQ(s.spare4[3], 7.0f);
}

}  // namespace
