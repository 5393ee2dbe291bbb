// What the player chooses and the game keeps between runs: full screen or a
// window, and the master volume (0 to 100 % in steps of 10, and a mute that
// remembers the level). Kept in $XDG_CONFIG_HOME/<name>/settings.ini.
//
// Init runs at program start (before the window opens), Apply once the
// window and audio device are open, Update on the timer thread each tick
// (the M, '-' and '=' keys), Draw in each frame (the level, shown briefly
// after a change), Release at the end while the window is still open.
// A settings file that is missing, damaged, unreadable or unwritable costs
// one line on standard error and never stops the game.
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/command_line.h"
#include "engine/app/player_file_text.h"

constexpr int32_t kVolumeStep = 10;
constexpr int32_t kVolumeMax = 100;
// How long a change stays on screen, in ticks.
constexpr int32_t kVolumeShowTicks = 90;

struct PlayerSettings {
  bool fullscreen;  // how the window opens this run
  bool fullscreenSaved;  // what the file says (or the default)
  int32_t volume;   // 0..100, a multiple of kVolumeStep
  bool muted;
  bool cardsSeen;  // the "how to play" cards were shown once
  std::string path;  // the settings file; empty when there is no place for it
  int32_t showTicks;  // ticks the level stays on screen
};

extern PlayerSettings playerSettings;

void PlayerSettingsInit(WindowModeChoice windowMode);
void PlayerSettingsApply();
void PlayerSettingsUpdate();
// On the timer thread: what a volume key or button does (the new level
// shown, heard and saved).
enum class VolumeKey : int32_t { kMute, kDown, kUp };
void PlayerSettingsChangeVolume(VolumeKey key);
void PlayerSettingsDraw();
void PlayerSettingsRelease();
// True when the window is to open in full screen.
bool PlayerSettingsFullscreen();
// Keeps that the "how to play" cards were seen (on the timer thread).
void PlayerSettingsMarkCardsSeen();

// The steps as plain rules, for the tests: reading the file's values (a
// value that is not understood keeps the default and is named in *problem),
// and what each key does to (volume, muted).
void ReadPlayerSettings(const std::string& path, PlayerSettings* settings, std::string* problem);
void ApplyVolumeKey(VolumeKey key, int32_t* volume, bool* muted);
// The same from entries already read (path only names the file in *problem),
// and the entries a save writes, after kPlayerSettingsHeader.
void PlayerSettingsFromEntries(const std::vector<PlayerFileEntry>& entries, const std::string& path,
                               PlayerSettings* settings, std::string* problem);
std::vector<PlayerFileEntry> PlayerSettingsEntries(const PlayerSettings& settings);
extern const char kPlayerSettingsHeader[];
