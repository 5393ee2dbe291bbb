// The clear scene's four operations on its static record (see clear_scene.cpp).
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/font.h"
#include "engine/render/sprite.h"
#include "game/hud/number_display.h"
#include "game/scene/anim_sprite.h"

struct ClearSceneState {
  Sound music;
  NumberDisplay scoreDisplay;
  int32_t ticks;
  Texture backgroundTexture;
  Sprite background;
  Texture characterTexture;
  Texture balloonTexture;
  Sprite balloon;
  Vec2 scale;  // layout factors while setting up: character, then shadow
  Sprite shadow;
  Texture shadowTexture;
  uint8_t leaving;
  uint8_t counted;  // set once and never cleared
  uint8_t snapped;
  AnimSprite character;
  // The best score, shown once the count has reached the round's score, and
  // the mark of a round that beat the best before it.
  NumberDisplay bestDisplay;
  BitmapFont bestLabel;
  BitmapFont newBestMark;
  bool newBest;
  bool bestShown;
};

extern ClearSceneState clearScene;
extern BitmapFont finishText;

int32_t ClearSceneInit();
void ClearSceneUpdate();
void ClearSceneDraw();
void ClearSceneRelease();
