// The best score of every round that reached "Finish!", kept between runs in
// $XDG_DATA_HOME/<name>/best_score.ini (in a browser, the page's storage
// beside the settings).
//
// Init runs at program start, before the loop (it reads the file, and keeps
// a damaged one aside so that nothing it held is lost); Record runs in the
// tick that ends a round: it reads the file again (another copy of the game
// may have written a higher best meanwhile), keeps the higher of the two and
// hands it to the player-file writer, which puts it on the disk, at the latest
// when the program ends. The values are read by the scenes' draws under the
// game lock, as the round's other values are. A damaged or unreadable file
// costs one line on standard error, a missing one too at start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/app/player_file.h"

struct BestScore {
  int32_t value;       // 0 until a round has finished
  std::string path;    // the file; empty when it is not kept (no folder)
  bool roundNewBest;   // the last round beat every best known when it ended
};

extern BestScore bestScore;

void BestScoreInit();
// A finished round's score (at most kScoreMaximum is kept): true, and the
// new best handed over to be saved, when it beats both the best so far and
// what the file holds now.
bool BestScoreRecord(int32_t roundScore);

// What a file read gives: the best score found (0 when none) and whether the
// file must be kept aside before a new best may replace it (it is there but
// was not read whole). *problem names what went wrong, empty when nothing did.
struct BestScoreRead {
  int32_t value;
  bool keepAside;
};
BestScoreRead BestScoreFromFile(const PlayerFile& file, const std::string& path, std::string* problem);
std::vector<PlayerFileEntry> BestScoreEntries(int32_t value);
