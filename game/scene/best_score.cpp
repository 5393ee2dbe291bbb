// The best score: read at start, with a damaged file moved aside, and read
// again when a round ends, the higher best handed to the player-file writer.
#include "game/scene/best_score.h"

#include <atomic>

#include "game/build_info.h"
#include "game/scene/round_state.h"
#include "game/scene/save_notice.h"

namespace {

constexpr char kBestScoreFileName[] = "best_score.ini";
constexpr char kBestScoreFileKind[] = "best score file";
constexpr char kBestScoreKey[] = "best";
constexpr char kBestScoreHeader[] = "TIDE_MARKER best score of the rounds that reached Finish!";
// Eight digits at most: a score never goes past kScoreMaximum; a file with
// more is damaged.
constexpr size_t kMaxDigits = 8;
static_assert(kScoreMaximum == 99999999, "kMaxDigits digits hold every score");

bool ParseScore(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > kMaxDigits) return false;
  int32_t parsed = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    parsed = parsed * 10 + (c - '0');
  }
  *value = parsed;
  return true;
}

// Said once a run: a folder that cannot be written stays so. Set by the
// writer's reports, on the writer thread.
std::atomic<bool> saveFailureSaid{false};

void ReportSave(bool saved, const std::string& error) {
  if (FirstSaveFailure(&saveFailureSaid, saved)) WarnPlayer("the best score is not kept: " + error);
}

}  // namespace

BestScore bestScore;

BestScoreRead BestScoreFromFile(const PlayerFile& file, const std::string& path, std::string* problem) {
  BestScoreRead read = {0, false};
  *problem = file.problem;
  switch (file.result) {
    case PlayerFileReadResult::kMissing:
      *problem = "no best score yet at " + path;
      return read;
    case PlayerFileReadResult::kUnreadable:
    case PlayerFileReadResult::kDamaged:
      read.keepAside = true;
      break;
    case PlayerFileReadResult::kRead:
      break;
  }
  const std::string* text = FindPlayerFileValue(file.entries, kBestScoreKey);
  if (text != nullptr && ParseScore(*text, &read.value)) return read;
  // A file without a best score the program could have written may still
  // hold one a reader can make out: it is kept, never overwritten.
  read.value = 0;
  read.keepAside = true;
  if (problem->empty()) {
    *problem = text == nullptr ? std::string("the ") + kBestScoreFileKind + " " + path + " has no best score"
                               : "in " + path + ", best '" + *text + "' is not a score";
  }
  return read;
}

std::vector<PlayerFileEntry> BestScoreEntries(int32_t value) {
  std::vector<PlayerFileEntry> entries;
  PutPlayerFileValue(&entries, kBestScoreKey, std::to_string(value));
  return entries;
}

namespace {

// Reads the file into *value (0 when there is none). A damaged file is kept
// aside first; false, with the path given up, when that fails, as writing
// could then replace a higher score the file holds. *problem names what went
// wrong (a missing file only when sayMissing), empty when nothing did.
bool ReadBestFile(bool sayMissing, int32_t* value, std::string* problem) {
  const PlayerFile file = ReadPlayerFile(bestScore.path, kBestScoreFileKind);
  BestScoreRead read = BestScoreFromFile(file, bestScore.path, problem);
  if (file.result == PlayerFileReadResult::kMissing && !sayMissing) problem->clear();
  *value = read.value;
  if (!read.keepAside) return true;
  std::string error;
  std::string aside = KeepFileAside(bestScore.path, &error);
  if (aside.empty()) {
    *problem += "; " + error + ", so no best score is kept this run";
    bestScore.path.clear();
    return false;
  }
  *problem += "; kept as " + aside;
  return true;
}

}  // namespace

void BestScoreInit() {
  bestScore = BestScore{};
  saveFailureSaid.store(false);
  bestScore.path = SystemDataPath(kProgramName, kBestScoreFileName);
  if (bestScore.path.empty()) {
    WarnPlayer("the best score is not kept: there is no folder for it (neither XDG_DATA_HOME nor HOME is set)");
    return;
  }
  RemoveStalePlayerFileTemporaries(bestScore.path);
  std::string problem;
  ReadBestFile(true, &bestScore.value, &problem);
  if (!problem.empty()) WarnPlayer(problem);
}

bool BestScoreRecord(int32_t roundScore) {
  if (roundScore > kScoreMaximum) roundScore = kScoreMaximum;
  // Another copy of the game may have recorded a higher best since this one
  // read the file: the file is read again, and the higher of the two kept.
  int32_t onDisk = 0;
  if (!bestScore.path.empty()) {
    std::string problem;
    ReadBestFile(false, &onDisk, &problem);
    if (!problem.empty()) WarnPlayer(problem);
  }
  const int32_t held = onDisk > bestScore.value ? onDisk : bestScore.value;
  bestScore.roundNewBest = roundScore > held;
  bestScore.value = bestScore.roundNewBest ? roundScore : held;
  if (bestScore.roundNewBest && !bestScore.path.empty()) {
    SavePlayerFile(bestScore.path, kBestScoreHeader, BestScoreEntries(bestScore.value), ReportSave);
  }
  return bestScore.roundNewBest;
}
