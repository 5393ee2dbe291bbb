// A sprite set up in one call, for the objects that lay theirs out at init:
// where it stands, its size, its tint, the part of its texture it shows and
// its angle.
#pragma once

#include "engine/render/sprite.h"

// Resets s (SpriteInit), then sets those fields; u, v, du, dv go to uv.
void SetSprite(Sprite* s, Vec2 pos, Vec2 size, Color color, float u, float v, float du, float dv,
               float angle, float depth = 0.0f);
