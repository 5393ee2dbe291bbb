// Reading a replay file, and running its round with no window and no sound
// device as fast as the machine goes.
#pragma once

#include <cstdint>
#include <string>

#include "game/scene/replay_file.h"

// What --check-replay exits with.
enum ReplayCheckExit : int32_t {
  kReplayCheckMatches = 0,   // reached "Finish!" with the recorded score
  kReplayCheckDiffers = 1,   // the round went another way
  kReplayCheckUnreadable = 2 // the file cannot be read as a replay of these rules
};

// Reads and decodes path; on anything but kOk, *line says what (one line).
ReplayReadResult LoadReplayFile(const std::string& path, Replay* replay, std::string* line);

// Runs the round of replay to its end, headless. *line is the one line to
// print: "replay: score N, plates P, ticks T" and, when the round differs,
// where. observer, when given, is called after each tick (tests look at the
// round's state).
using ReplayTickObserver = void (*)();
ReplayCheckExit CheckReplay(const Replay& replay, std::string* line, ReplayTickObserver observer = nullptr);
// LoadReplayFile and CheckReplay, with their line printed: the line on
// standard output, a file that cannot be read on standard error.
int32_t CheckReplayFile(const std::string& path);
