// The player's settings as the entries of their file: the key names, what
// each value read means (a value not understood keeps that key's default),
// and the entries a save writes. Pure steps, apart from the disk and the
// engine's other modules, so the tests and the fuzz target reach them.
#include <cstdlib>

#include "game/scene/player_settings.h"

namespace {

constexpr char kFullscreenKey[] = "fullscreen";
constexpr char kVolumeKey[] = "volume";
constexpr char kMuteKey[] = "mute";
constexpr char kCardsKey[] = "how_to_play_seen";

// "on"/"off" and the usual spellings of a yes or a no.
bool ParseSwitch(const std::string& text, bool* value) {
  if (text == "on" || text == "true" || text == "yes" || text == "1") {
    *value = true;
    return true;
  }
  if (text == "off" || text == "false" || text == "no" || text == "0") {
    *value = false;
    return true;
  }
  return false;
}

// 0..100; a level between the steps goes to the nearest step.
bool ParseVolume(const std::string& text, int32_t* volume) {
  if (text.empty() || text.size() > 3) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  int32_t value = std::atoi(text.c_str());
  if (value > kVolumeMax) return false;
  *volume = (value + kVolumeStep / 2) / kVolumeStep * kVolumeStep;
  return true;
}

}  // namespace

const char kPlayerSettingsHeader[] = "TIDE_MARKER settings: fullscreen, mute and how_to_play_seen on or off, volume 0 to 100";

void PlayerSettingsFromEntries(const std::vector<PlayerFileEntry>& entries, const std::string& path,
                               PlayerSettings* settings, std::string* problem) {
  settings->fullscreenSaved = false;
  settings->volume = kVolumeMax;
  settings->muted = false;
  settings->cardsSeen = false;
  // A value not understood leaves the default: the parsers write only on
  // success.
  const std::string* value = FindPlayerFileValue(entries, kFullscreenKey);
  if (value != nullptr && !ParseSwitch(*value, &settings->fullscreenSaved) && problem->empty()) {
    *problem = "in " + path + ", fullscreen '" + *value + "' is not on or off; it stays off";
  }
  value = FindPlayerFileValue(entries, kVolumeKey);
  if (value != nullptr && !ParseVolume(*value, &settings->volume) && problem->empty()) {
    *problem = "in " + path + ", volume '" + *value + "' is not 0 to 100; it stays at 100";
  }
  value = FindPlayerFileValue(entries, kMuteKey);
  if (value != nullptr && !ParseSwitch(*value, &settings->muted) && problem->empty()) {
    *problem = "in " + path + ", mute '" + *value + "' is not on or off; it stays off";
  }
  value = FindPlayerFileValue(entries, kCardsKey);
  if (value != nullptr && !ParseSwitch(*value, &settings->cardsSeen) && problem->empty()) {
    *problem = "in " + path + ", how_to_play_seen '" + *value + "' is not on or off; it stays off";
  }
}

std::vector<PlayerFileEntry> PlayerSettingsEntries(const PlayerSettings& settings) {
  std::vector<PlayerFileEntry> entries;
  PutPlayerFileValue(&entries, kFullscreenKey, settings.fullscreenSaved ? "on" : "off");
  PutPlayerFileValue(&entries, kVolumeKey, std::to_string(settings.volume));
  PutPlayerFileValue(&entries, kMuteKey, settings.muted ? "on" : "off");
  PutPlayerFileValue(&entries, kCardsKey, settings.cardsSeen ? "on" : "off");
  return entries;
}
