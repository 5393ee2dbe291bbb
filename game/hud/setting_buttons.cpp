// The sound and window buttons: their picture cells, the hit test and the
// action each one takes.
#include "game/hud/setting_buttons.h"

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/player_settings.h"
#include "game/scene/sprite_setup.h"

namespace {

constexpr const char* kPicture = "settingButtons.png";
// The sheet's cells, 4 across and 2 down.
constexpr float kCellWidth = 0.25f;
constexpr float kCellHeight = 0.5f;
struct Cell {
  float u, v;
};
constexpr Cell kSoundOn = {0.0f, 0.0f};
constexpr Cell kSoundOff = {0.25f, 0.0f};
constexpr Cell kVolumeDown = {0.5f, 0.0f};
constexpr Cell kVolumeUp = {0.75f, 0.0f};
constexpr Cell kEnterFullscreen = {0.0f, 0.5f};
constexpr Cell kLeaveFullscreen = {0.25f, 0.5f};

constexpr Color kWhite = {1, 1, 1, 1};

// The picture a button shows now: the sound and full-screen buttons show the
// state a press leads away from.
Cell CellOf(SettingButton which) {
  switch (which) {
    case SettingButton::kSound:
      return playerSettings.muted ? kSoundOff : kSoundOn;
    case SettingButton::kVolumeDown:
      return kVolumeDown;
    case SettingButton::kVolumeUp:
      return kVolumeUp;
    case SettingButton::kFullscreen:
      return IsWindowFullscreen() ? kLeaveFullscreen : kEnterFullscreen;
  }
  return kSoundOn;
}

}  // namespace

int32_t SettingButtonsInit(SettingButtons* b, Vec2 first, float size, float spacing, int32_t shown) {
  b->shown = 0;
  for (int32_t i = 0; i < kSettingButtonCount; ++i) {
    SetSprite(&b->buttons[i], Vec2{first.x + spacing * static_cast<float>(i), first.y}, Vec2{size, size}, kWhite,
              0, 0, kCellWidth, kCellHeight, 0);
  }
  if (LoadContentsPicture(&b->texture, kPicture) != 0) return 1;
  b->shown = shown;
  return 0;
}

int32_t SettingButtonAt(SettingButtons* b, Vec2 point) {
  for (int32_t i = 0; i < b->shown; ++i) {
    Bounds box;
    SpriteBounds(&b->buttons[i], &box);
    if (PointInBounds(point, box) != 0) return i;
  }
  return -1;
}

void SettingButtonPress(SettingButton which) {
  switch (which) {
    case SettingButton::kSound:
      PlayerSettingsChangeVolume(VolumeKey::kMute);
      break;
    case SettingButton::kVolumeDown:
      PlayerSettingsChangeVolume(VolumeKey::kDown);
      break;
    case SettingButton::kVolumeUp:
      PlayerSettingsChangeVolume(VolumeKey::kUp);
      break;
    case SettingButton::kFullscreen:
      // The window is the main thread's; this runs in a tick.
      RequestFullscreenToggle();
      break;
  }
}

void SettingButtonsDraw(SettingButtons* b) {
  for (int32_t i = 0; i < b->shown; ++i) {
    const Cell cell = CellOf(static_cast<SettingButton>(i));
    b->buttons[i].uv[0] = cell.u;
    b->buttons[i].uv[1] = cell.v;
    DrawSprite(&b->buttons[i], &b->texture);
  }
}

void SettingButtonsRelease(SettingButtons* b) {
  b->shown = 0;
  DeleteTexture(&b->texture);
}
