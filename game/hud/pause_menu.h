// The game scene's top layer: the start-of-round overlay, the pause button,
// the panel that unfolds over the frozen game, resume and quit to the title,
// and between them the sound, volume and full-screen buttons.
// Escape or the pad's Start opens and closes it; the directions choose a
// button, the finger key presses it, the pad's east button resumes.
#pragma once

#include <cstdint>

#include "engine/audio/sound.h"
#include "engine/render/sprite.h"
#include "game/hud/setting_buttons.h"

struct PauseMenu {
  Sprite pauseButton;
  Sprite quitButton;
  Sprite resumeButton;
  Texture buttonTexture;
  Sprite panel;
  Texture panelTexture;
  Sprite label;
  Texture labelTexture;
  Sprite spinner;
  Texture blockTexture;
  Sound pageSound;
  bool intro;
  bool growNext;
  bool panelFull;
  bool quitting;
  int32_t introTicks;
  bool paused;
  bool animating;
  // The window's focus-loss count when the menu last looked, and whether the
  // player left (focus lost, minimised, or away when the round began) without
  // the menu having opened yet.
  uint32_t focusLossesSeen;
  bool awayPending;
  // The same for pads pulled out.
  uint32_t padRemovalsSeen;
  // The button the keys have chosen (a PauseChoice), framed while keys are
  // in use.
  int32_t chosen;
  Texture cursorTexture;
  Sprite chosenFrame;
  SettingButtons settings;
};

// The menu's buttons as the keys choose them: quit, resume, then the
// setting buttons in their order (kChooseSettings + SettingButton).
enum PauseChoice : int32_t { kChooseQuit = 0, kChooseResume = 1, kChooseSettings = 2 };

extern PauseMenu pauseMenu;

int32_t PauseMenuInit(PauseMenu* m);
void PauseMenuUpdate(PauseMenu* m);
void PauseMenuDraw(PauseMenu* m);
void PauseMenuRelease(PauseMenu* m);

// One step of the panel's unfolding (growNext) or folding; true on the step
// that ends the animation.
bool PauseMenuStepPanel(Vec2* size, bool growNext);
