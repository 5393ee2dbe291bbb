// Fuzz target for the settings file's reader: any text goes in.
//  - The entries read are well formed: keys unique, not empty, without '='
//    or blanks at either end; no line breaks or other control characters
//    but tabs, and values without blanks at either end.
//  - Written back (FormatPlayerFileText) and read again they come back the
//    same, and the written text is understood whole.
//  - A line the reader refuses changes nothing: the text without the
//    refused lines reads to the same entries.
//  - The player's settings: keys the game does not know change nothing; a
//    value the game does not understand leaves that one setting at its
//    default and changes no other; the settings written and read back are
//    the same; the volume is a step of 0..100.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/player_file_text.h"
#include "game/scene/player_settings.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "settings_file_fuzz: %s\n", what);
  std::abort();
}

bool SameEntries(const std::vector<PlayerFileEntry>& a, const std::vector<PlayerFileEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
  return true;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void CheckWellFormed(const std::vector<PlayerFileEntry>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string& key = entries[i].key;
    const std::string& value = entries[i].value;
    Require(!key.empty(), "an empty key");
    Require(key.find('=') == std::string::npos, "a key holding '='");
    Require(!Blank(key.front()) && !Blank(key.back()), "a key with blanks at an end");
    Require(value.empty() || (!Blank(value.front()) && !Blank(value.back())), "a value with blanks at an end");
    for (const std::string* text : {&key, &value}) {
      for (char c : *text) Require(static_cast<unsigned char>(c) >= 0x20 || c == '\t', "a control character kept");
    }
    for (size_t j = 0; j < i; ++j) Require(entries[j].key != key, "a key given twice kept twice");
  }
}

struct Values {
  bool fullscreen;
  int32_t volume;
  bool muted;
};

Values Read(const std::vector<PlayerFileEntry>& entries, std::string* problem) {
  PlayerSettings settings{};
  problem->clear();
  PlayerSettingsFromEntries(entries, "fuzz.ini", &settings, problem);
  return {settings.fullscreenSaved, settings.volume, settings.muted};
}

bool Same(const Values& a, const Values& b) {
  return a.fullscreen == b.fullscreen && a.volume == b.volume && a.muted == b.muted;
}

void CheckPlayerSettings(const std::vector<PlayerFileEntry>& allEntries) {
  const Values kDefaults = {false, kVolumeMax, false};
  // Keys the game does not know change nothing: the three alone read the
  // same (and the checks below work on those three).
  std::vector<PlayerFileEntry> entries;
  for (const PlayerFileEntry& entry : allEntries) {
    if (entry.key == "fullscreen" || entry.key == "volume" || entry.key == "mute") entries.push_back(entry);
  }
  std::string problem, allProblem;
  Values read = Read(entries, &problem);
  Require(Same(Read(allEntries, &allProblem), read), "a key the game does not know changed a setting");
  Require(read.volume >= 0 && read.volume <= kVolumeMax && read.volume % kVolumeStep == 0,
          "a volume that is not a step of 0..100");

  // Written and read back: the same, with nothing to complain about.
  PlayerSettings settings{};
  settings.fullscreenSaved = read.fullscreen;
  settings.volume = read.volume;
  settings.muted = read.muted;
  std::string parseProblem;
  std::vector<PlayerFileEntry> written =
      ParsePlayerFileText(FormatPlayerFileText(kPlayerSettingsHeader, PlayerSettingsEntries(settings)), &parseProblem);
  Require(parseProblem.empty(), "the player's settings written are not understood");
  std::string backProblem;
  Require(Same(Read(written, &backProblem), read), "the player's settings do not read back the same");
  Require(backProblem.empty(), "the player's settings written are complained about");

  // Each setting's value made unreadable (or removed): that setting goes to
  // its default, the others stay as they were.
  for (const char* key : {"fullscreen", "volume", "mute"}) {
    Values expected = read;
    std::string name = key;
    if (name == "fullscreen") expected.fullscreen = kDefaults.fullscreen;
    if (name == "volume") expected.volume = kDefaults.volume;
    if (name == "mute") expected.muted = kDefaults.muted;
    std::vector<PlayerFileEntry> spoilt = entries, removed;
    PutPlayerFileValue(&spoilt, key, "not a value");
    for (const PlayerFileEntry& entry : entries)
      if (entry.key != name) removed.push_back(entry);
    std::string spoiltProblem, removedProblem;
    Require(Same(Read(spoilt, &spoiltProblem), expected), "a value not understood changed another setting");
    Require(!spoiltProblem.empty(), "a value not understood was not named");
    Require(Same(Read(removed, &removedProblem), expected), "a missing setting did not take its default");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string problem;
  std::vector<PlayerFileEntry> entries = ParsePlayerFileText(text, &problem);
  CheckWellFormed(entries);

  std::string again;
  std::vector<PlayerFileEntry> back = ParsePlayerFileText(FormatPlayerFileText("header", entries), &again);
  Require(again.empty(), "written entries are not understood");
  Require(SameEntries(back, entries), "entries written and read back differ");

  // The lines the reader refuses, each tried on its own, taken out.
  std::string kept;
  bool refused = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start), lineProblem;
    ParsePlayerFileText(line, &lineProblem);
    if (lineProblem.empty()) {
      kept += line + "\n";
    } else {
      refused = true;
    }
    start = end + 1;
  }
  Require(refused == !problem.empty(), "a refused line was not named, or a good text complained about");
  std::string keptProblem;
  Require(SameEntries(ParsePlayerFileText(kept, &keptProblem), entries), "a refused line changed the entries");
  Require(keptProblem.empty(), "the text without its refused lines is still refused");

  CheckPlayerSettings(entries);
  return 0;
}
