// The round itself: background and music, the round state's reset, and the
// HUD, board and pause menu sequenced every tick and every frame.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/sprite.h"

struct GameSceneState {
  Sound music;
  int32_t sceneTicks;
  Sprite background;
  Texture backgroundTexture;
  // True once the HUD, board and pause menu have been initialised; only then
  // are they updated, drawn and released.
  bool roundBuilt;
};

extern GameSceneState gameScene;

int32_t GameSceneInit();
void GameSceneUpdate();
void GameSceneDraw();
void GameSceneRelease();

// Whether a plate just brought in gets the fixed pattern: every seventh plate,
// while it still waits above the screen.
bool GameSceneWantsBonusLayout(int32_t plates, float plateY);
