// Saves of the player's files handed to the player-file writer, and one line on
// standard error per thing the player should know about them.
#include "game/scene/save_notice.h"

#include <cstdio>
#include <utility>

#include "game/build_info.h"

void WarnPlayer(const std::string& line) { std::fprintf(stderr, "%s: %s\n", kProgramName, line.c_str()); }

bool FirstSaveFailure(std::atomic<bool>* said, bool saved) {
  if (saved) {
    said->store(false);
    return false;
  }
  return !said->exchange(true);
}

void SavePlayerFile(const std::string& path, const char* header, std::vector<PlayerFileEntry> entries,
                    PlayerFileSaveReport report) {
  PlayerFileSave save;
  save.path = path;
  save.header = header;
  save.file.entries = std::move(entries);
  save.report = report;
  RequestPlayerFileSave(std::move(save));
}
