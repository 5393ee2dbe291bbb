// The load scene's four operations on its static record (see load_scene.cpp).
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

struct LoadSceneState {
  Sprite panel;
  Texture panelTexture;
  Sprite label;
  Texture labelTexture;
  Sprite spinner;  // its angle carries over from one visit to the next
  Texture blockTexture;
  int32_t ticks;
};

extern LoadSceneState loadScene;

// The block cell (u, v) shown for a random number 0 to 4.
Vec2 LoadingCellFor(int32_t number);

int32_t LoadSceneInit();
void LoadSceneUpdate();
void LoadSceneDraw();
void LoadSceneRelease();
