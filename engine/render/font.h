// Short single-line ASCII texts drawn from the bitmap font "font.png"
// (32 x 4 cells of 64 x 64 pixels). Init, draw and release need GL (main
// thread); FontSetText touches only the object's memory.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

constexpr int kFontMaxGlyphs = 30;

struct BitmapFont {
  char text[32];
  Texture texture;
  int32_t count;
  int32_t row;
  Sprite glyphs[kFontMaxGlyphs];
  Vec2 stylePos;
  Vec2 styleSize;
  Color styleColor;
  float styleUv[4];
  Bounds styleBounds;
  float styleAngle;
  float styleSpare[2];
  float styleDepth;
  uint8_t flag;
  int32_t advance;
};

// Sets up every field, glyphs and style, then loads the picture: the one
// set-up a font needs, also for a font used before (after FontRelease).
int32_t FontInit(BitmapFont* font);
// Texts longer than 30 characters keep their first 30.
void FontSetText(BitmapFont* font, const char* text, int32_t x, int32_t y, float r, float g,
                 float b, float a, float glyphWidth, float glyphHeight, int32_t advance);
void FontSetTextColored(BitmapFont* font, const char* text, int32_t x, int32_t y, float r,
                        float g, float b, float a);
void FontDraw(BitmapFont* font);
void FontRelease(BitmapFont* font);
