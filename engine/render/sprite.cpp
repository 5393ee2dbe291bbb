// The Sprite record's operations: defaults, the five draw entry points (one
// per anchor) and the hit-test box. Each draw sets every renderer field it
// uses, so sprites never inherit state from the previous draw.
#include "engine/render/sprite.h"

namespace {

using QuadSetter = void (*)(float w, float h);

void DrawAnchored(const Sprite* sprite, const Texture* texture, QuadSetter setQuad) {
  SetDrawColor(sprite->color.r, sprite->color.g, sprite->color.b, sprite->color.a);
  SetDrawUV(sprite->uv[0], sprite->uv[1], sprite->uv[2], sprite->uv[3]);
  setQuad(sprite->size.x, sprite->size.y);
  SetDrawRotation(sprite->angle);
  SetDrawPosition(sprite->pos.x, sprite->pos.y, sprite->depth);
  BindDrawTexture(texture);
  DrawQuad();
}

}  // namespace

// The four owner spares (spare4) are left as they are: the animated sprite
// keeps its cell grid there.
void SpriteInit(Sprite* sprite) {
  sprite->pos = Vec2{0.0f, 0.0f};
  sprite->size = Vec2{32.0f, 32.0f};
  sprite->color = Color{1.0f, 1.0f, 1.0f, 1.0f};
  sprite->uv[0] = 0.0f;
  sprite->uv[1] = 0.0f;
  sprite->uv[2] = 1.0f;
  sprite->uv[3] = 1.0f;
  sprite->bounds = Bounds{0.0f, 0.0f, 32.0f, 32.0f};
  sprite->angle = 0.0f;
  sprite->spare2[0] = sprite->spare2[1] = 0.0f;
  sprite->depth = 0.0f;
  sprite->spare3[0] = sprite->spare3[1] = sprite->spare3[2] = 0.0f;
}

void DrawSprite(const Sprite* sprite, const Texture* texture) {
  DrawAnchored(sprite, texture, SetQuadCentered);
}

void DrawSpriteTopLeft(const Sprite* sprite, const Texture* texture) {
  DrawAnchored(sprite, texture, SetQuadTopLeft);
}

void DrawSpriteBottomLeft(const Sprite* sprite, const Texture* texture) {
  DrawAnchored(sprite, texture, SetQuadBottomLeft);
}

void DrawSpriteTopRight(const Sprite* sprite, const Texture* texture) {
  DrawAnchored(sprite, texture, SetQuadTopRight);
}

void DrawSpriteBottomRight(const Sprite* sprite, const Texture* texture) {
  DrawAnchored(sprite, texture, SetQuadBottomRight);
}

void SpriteBounds(Sprite* sprite, Bounds* out) { SpriteBoundsWithMargin(sprite, out, 0.0f); }

void SpriteBoundsWithMargin(Sprite* sprite, Bounds* out, float margin) {
  float halfW = sprite->size.x / 2.0f;
  float halfH = sprite->size.y / 2.0f;
  sprite->bounds = Bounds{sprite->pos.y - halfH - margin, sprite->pos.y + halfH + margin,
                          sprite->pos.x - halfW - margin, sprite->pos.x + halfW + margin};
  *out = sprite->bounds;
}
