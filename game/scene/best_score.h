// The best score of every round that reached "Finish!", kept between runs in
// $XDG_DATA_HOME/<name>/best_score.ini (in a browser, the page's storage
// beside the settings).
//
// Init runs at program start, before the loop (it reads the file, and keeps
// a damaged one aside so that nothing it held is lost); Record runs in the
// tick that opens the clear scene and only hands the new best to the
// settings writer, which puts it on the disk. The value is read by the
// scenes' draws under the game lock, as the round's other values are.
// A missing, damaged or unreadable file costs one line on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/app/settings_file.h"

struct BestScore {
  int32_t value;     // 0 until a round has finished
  std::string path;  // the file; empty when it is not kept (no folder)
};

extern BestScore bestScore;

void BestScoreInit();
// A finished round's score: true, and the new best handed over to be saved,
// when it beats the best so far.
bool BestScoreRecord(int32_t roundScore);

// What a file read gives: the best score found (0 when none) and whether the
// file must be kept aside before a new best may replace it (it is there but
// was not read whole). *problem names what went wrong, empty when nothing did.
struct BestScoreRead {
  int32_t value;
  bool keepAside;
};
BestScoreRead BestScoreFromFile(const SettingsFile& file, const std::string& path, std::string* problem);
std::vector<SettingsEntry> BestScoreEntries(int32_t value);
