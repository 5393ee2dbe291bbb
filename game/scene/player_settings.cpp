// The player's settings: read at start, the volume keys each tick, the level
// shown after a change, and every change handed to the player-file writer.
#include "game/scene/player_settings.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "engine/app/app.h"
#include "engine/app/player_file.h"
#include "engine/audio/sound.h"
#include "engine/render/debug_text.h"
#include "engine/render/sprite.h"
#include "game/build_info.h"
#include "game/scene/save_notice.h"

namespace {

// The level's text: centred near the top, in the debug text at 32 units a
// line (16 units a character), dark on a white outline so it reads on the
// light scenes and on black, upright, at the fade's depth (drawn after it,
// so in front of everything).
constexpr int32_t kShowTextSize = 32;
constexpr int32_t kShowCentreX = 512;
constexpr int32_t kShowY = 120;
constexpr int32_t kShowCharWidth = 16;
constexpr int32_t kOutlineOffset = 2;
constexpr float kTextColour[3] = {0.36f, 0.16f, 0.24f};
constexpr float kShowDepth = 0.0f;
constexpr float kDebugTextDepth = 0.1f;

// The settings' keys: M mutes, '-' and '=' (or the keypad's - and +) turn
// the volume down and up.
constexpr int32_t kKeyMute = 'M';
struct KeyBinding {
  VolumeKey action;
  int32_t keys[2];
};
constexpr KeyBinding kBindings[] = {
    {VolumeKey::kMute, {kKeyMute, kKeyMute}},
    {VolumeKey::kDown, {kKeyMinus, kKeyNumpadMinus}},
    {VolumeKey::kUp, {kKeyPlus, kKeyNumpadPlus}},
};

float Gain(const PlayerSettings& settings) {
  return settings.muted ? 0.0f : static_cast<float>(settings.volume) / static_cast<float>(kVolumeMax);
}

// Said once: a folder that cannot be written stays so for every key press.
// Set by the writer's reports (or the tick, when there is no folder at all).
std::atomic<bool> saveFailureSaid{false};

void ReportSave(bool saved, const std::string& error) {
  if (FirstSaveFailure(&saveFailureSaid, saved)) WarnPlayer("the settings are not kept: " + error);
}

// Hands the current values to the player-file writer; the tick goes on at once.
void Save() {
  if (playerSettings.path.empty()) {
    ReportSave(false, "there is no folder for them (neither XDG_CONFIG_HOME nor HOME is set)");
    return;
  }
  SavePlayerFile(playerSettings.path, kPlayerSettingsHeader, PlayerSettingsEntries(playerSettings),
                 ReportSave);
}

}  // namespace

PlayerSettings playerSettings;

void ReadPlayerSettings(const std::string& path, PlayerSettings* settings, std::string* problem) {
  PlayerFile file = ReadPlayerFile(path, "settings file");
  *problem = file.problem;
  PlayerSettingsFromEntries(file.entries, path, settings, problem);
}

void ApplyVolumeKey(VolumeKey key, int32_t* volume, bool* muted) {
  switch (key) {
    case VolumeKey::kMute:
      *muted = !*muted;
      break;
    case VolumeKey::kDown:
      *muted = false;
      *volume = *volume > kVolumeStep ? *volume - kVolumeStep : 0;
      break;
    case VolumeKey::kUp:
      *muted = false;
      *volume = *volume < kVolumeMax - kVolumeStep ? *volume + kVolumeStep : kVolumeMax;
      break;
  }
}

void PlayerSettingsInit(WindowModeChoice windowMode) {
  playerSettings = PlayerSettings{};
  saveFailureSaid.store(false);
  playerSettings.path = SystemSettingsPath(kProgramName);
  std::string problem;
  if (playerSettings.path.empty()) {
    ReadPlayerSettings("", &playerSettings, &problem);
    problem = "there is no folder for the settings (neither XDG_CONFIG_HOME nor HOME is set); defaults are used";
  } else {
    // What a write stopped half-way by a crash left beside the file.
    RemoveStalePlayerFileTemporaries(playerSettings.path);
    ReadPlayerSettings(playerSettings.path, &playerSettings, &problem);
  }
  if (!problem.empty()) WarnPlayer(problem);
  playerSettings.fullscreen = windowMode == WindowModeChoice::kFullscreen   ? true
                              : windowMode == WindowModeChoice::kWindowed ? false
                                                                          : playerSettings.fullscreenSaved;
}

void PlayerSettingsApply() { SetMasterVolume(Gain(playerSettings)); }

void PlayerSettingsUpdate() {
  if (playerSettings.showTicks > 0) playerSettings.showTicks -= 1;
  for (size_t i = 0; i < sizeof kBindings / sizeof kBindings[0]; ++i) {
    const KeyBinding& binding = kBindings[i];
    if (IsKeyPressed(binding.keys[0]) || IsKeyPressed(binding.keys[1])) PlayerSettingsChangeVolume(binding.action);
  }
}

void PlayerSettingsChangeVolume(VolumeKey key) {
  ApplyVolumeKey(key, &playerSettings.volume, &playerSettings.muted);
  SetMasterVolume(Gain(playerSettings));
  playerSettings.showTicks = kVolumeShowTicks;
  Save();
}

void PlayerSettingsDraw() {
  if (playerSettings.showTicks <= 0) return;
  char text[32];
  if (playerSettings.muted) {
    std::snprintf(text, sizeof text, "SOUND OFF (M)");
  } else {
    std::snprintf(text, sizeof text, "VOLUME %d%%", static_cast<int>(playerSettings.volume));
  }
  int32_t length = static_cast<int32_t>(std::strlen(text));
  // DrawDebugText places each character by its centre.
  int32_t x = kShowCentreX - (length - 1) * kShowCharWidth / 2;
  SetDebugTextSize(kShowTextSize);
  SetDebugTextDepth(kShowDepth);
  SetDrawRotation(0.0f);
  SetDrawColor(1.0f, 1.0f, 1.0f, 1.0f);
  for (int32_t dx = -kOutlineOffset; dx <= kOutlineOffset; dx += kOutlineOffset) {
    for (int32_t dy = -kOutlineOffset; dy <= kOutlineOffset; dy += kOutlineOffset) {
      if (dx != 0 || dy != 0) DrawDebugText(x + dx, kShowY + dy, text);
    }
  }
  SetDrawColor(kTextColour[0], kTextColour[1], kTextColour[2], 1.0f);
  DrawDebugText(x, kShowY, text);
  SetDebugTextDepth(kDebugTextDepth);
}

// The full-screen choice is kept when the game ends: if the player switched
// between full screen and a window during the run, the next run opens the
// same way. A run started with --fullscreen or --windowed and left as it
// opened changes nothing.
void PlayerSettingsRelease() {
  bool nowFullscreen = IsWindowFullscreen();
  if (nowFullscreen == playerSettings.fullscreen) return;
  playerSettings.fullscreen = nowFullscreen;
  playerSettings.fullscreenSaved = nowFullscreen;
  Save();
}

bool PlayerSettingsFullscreen() { return playerSettings.fullscreen; }

void PlayerSettingsMarkCardsSeen() {
  if (playerSettings.cardsSeen) return;
  playerSettings.cardsSeen = true;
  Save();
}
