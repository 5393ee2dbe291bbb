// One line on standard error per thing the player should know about his files.
#include "game/scene/save_notice.h"

#include <cstdio>

#include "game/build_info.h"

void WarnPlayer(const std::string& line) { std::fprintf(stderr, "%s: %s\n", kProgramName, line.c_str()); }

bool FirstSaveFailure(std::atomic<bool>* said, bool saved) {
  if (saved) {
    said->store(false);
    return false;
  }
  return !said->exchange(true);
}
