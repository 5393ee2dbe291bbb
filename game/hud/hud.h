// The round's HUD: the gauge that ends the round, the score counter, the
// plate-icon launch, and the drawing of customer, sweets and icon in order.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"
#include "game/hud/number_display.h"

constexpr float kGaugeMax = 490.0f;

struct GameHud {
  NumberDisplay scoreDisplay;
  float gaugeMax;
  float shownLevel;
  float pulseRate;
  Sprite frame;
  Sprite targetBar;
  Sprite levelBar;
  Sprite pulse;
  Texture gaugeTexture;
  bool plateIconLaunched;
};

extern GameHud gameHud;

int32_t HudInit(GameHud* hud);
void HudUpdate(GameHud* hud);
void HudDraw(GameHud* hud);
void HudRelease(GameHud* hud);

// The gauge stage for a level; a level exactly on a boundary keeps the stage.
int32_t HudStageFor(float level, int32_t stage);
// Offset of the resting plate icon from the customer for an animation column
// 0..3 and the customer's expression.
Vec2 HudRestingOffset(int32_t column, int32_t expression);
