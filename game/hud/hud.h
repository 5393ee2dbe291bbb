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
