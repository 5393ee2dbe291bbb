// The player's settings: how the window opens.
#include "game/scene/player_settings.h"

namespace {

struct PlayerSettings {
  bool fullscreen;
};

PlayerSettings settings;

}  // namespace

void PlayerSettingsInit(WindowModeChoice windowMode) {
  settings.fullscreen = windowMode == WindowModeChoice::kFullscreen;
}

bool PlayerSettingsFullscreen() { return settings.fullscreen; }
