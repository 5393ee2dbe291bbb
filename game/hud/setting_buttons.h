// Buttons that set the sound and the window by pointer and touch: mute,
// volume down and up, full screen. A screen lays out the ones it shows; a
// press does what the M, '-', '=' and F11 keys do.
// Init and Release run where the scene is built and destroyed, the hit test
// and the presses in its ticks (timer thread), Draw in the frame (main
// thread), which alone may ask the window whether it is full screen.
#pragma once

#include <cstdint>

#include "engine/render/sprite.h"

enum class SettingButton : int32_t { kSound = 0, kVolumeDown = 1, kVolumeUp = 2, kFullscreen = 3 };
constexpr int32_t kSettingButtonCount = 4;

struct SettingButtons {
  Sprite buttons[kSettingButtonCount];
  // How many of them the screen shows, from kSound on.
  int32_t shown;
  Texture texture;
};

// Lays out the first `shown` buttons of side `size` from `first`, `spacing`
// apart to the right, and loads their picture; 1 when it is missing (the
// buttons then neither show nor take presses).
int32_t SettingButtonsInit(SettingButtons* b, Vec2 first, float size, float spacing, int32_t shown);
// The shown button under point, or -1.
int32_t SettingButtonAt(SettingButtons* b, Vec2 point);
// What the button does: the volume as its key does, full screen as F11 does.
void SettingButtonPress(SettingButton which);
void SettingButtonsDraw(SettingButtons* b);
void SettingButtonsRelease(SettingButtons* b);
