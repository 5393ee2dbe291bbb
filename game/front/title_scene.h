// The title scene's four operations on its static record (see title_scene.cpp).
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/font.h"
#include "engine/render/sprite.h"
#include "game/hud/number_display.h"
#include "game/hud/setting_buttons.h"
#include "game/scene/anim_sprite.h"

struct TitleSceneState {
  Sound music;
  // The best score, small in the lower right corner, once there is one.
  NumberDisplay bestDisplay;
  BitmapFont bestLabel;
  Sprite background;
  Texture backgroundTexture;
  Sprite overlay;
  Texture overlayTexture;
  Vec2 characterScale;
  Sprite shadow;
  Texture shadowTexture;
  Vec2 shadowScale;
  Sprite pieces[4];  // the title logo: pieces 1 and 2 the upper half, 3 and 4 the lower
  Texture titleTexture;
  AnimSprite character;
  Texture characterTexture;
  // The sound button, small at the left under the first title piece.
  SettingButtons sound;
  // True from a press on the sound button until the finger lifts: that
  // press neither skips the drop-in nor starts the game.
  bool pressOnButton;

  int32_t ticks;  // since the last phase change
  int32_t bobCounter1;
  int32_t bobCounter2;
  bool skipped;
  bool introDone;
  bool characterFalling;
  bool piece1Falling;
  bool piece1Landed;
  bool piece3Falling;
  bool piece3Landed;
  bool overlayFading;
  bool bob1;
  bool bob2;
  bool leaving;
  // Where leaving goes: the loading scene, or the round of the demo.
  int32_t nextScene;
  // Ticks since the drop-in with no press and the cards closed, how many
  // start the demo, and the live presses counted when last looked.
  int32_t idleTicks;
  int32_t demoWaitTicks;
  uint32_t pressesSeen;
  // Back from the demo: a press still held is no start press; the title
  // sees no touch until it is let go.
  bool holdAfterDemo;
  int32_t characterSpeed;
  int32_t piece1Speed;
  int32_t piece3Speed;
};

extern TitleSceneState titleScene;
// "Touch Start", set up by the title scene's init.
extern BitmapFont titleFont;

int32_t TitleSceneInit();
void TitleSceneUpdate();
void TitleSceneDraw();
void TitleSceneRelease();
