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
};

extern GameSceneState gameScene;

int32_t GameSceneInit();
void GameSceneUpdate();
void GameSceneDraw();
void GameSceneRelease();
