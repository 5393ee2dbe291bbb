// Sets up a sprite's fields in one call.
#include "game/scene/sprite_setup.h"

void SetSprite(Sprite* s, Vec2 pos, Vec2 size, Color color, float u, float v, float du, float dv,
               float angle, float depth) {
  SpriteInit(s);
  s->pos = pos;
  s->size = size;
  s->color = color;
  s->uv[0] = u;
  s->uv[1] = v;
  s->uv[2] = du;
  s->uv[3] = dv;
  s->angle = angle;
  s->depth = depth;
}
