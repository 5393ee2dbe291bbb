// Saves the player's files (settings, best score) away from the ticks. A tick
// hands over what to save and returns at once; the next main-loop pass wakes
// the writer thread, which writes it with WritePlayerFile (where the system
// has no threads, the pass writes it itself, outside the game lock). One
// write is under way at a time; what is handed over meanwhile waits, a newer
// save of the same file replacing an older one, and is written after it, so
// quick changes merge and the newest state always reaches the disk. Every way
// the program ends (F12, the window's close button, SIGTERM or SIGINT, which
// arrive as a quit request) leaves the main loop, whose end writes what is
// still waiting (PlayerFileWriterFinish) before the program returns.
//
// Thread rules: RequestPlayerFileSave from any thread; it never waits for a
// lock (neither the game lock nor the writer's) nor makes a system call.
// Start, Pass and Finish on the main thread. Writes, and their reports, run
// on the writer thread, or on the main thread where there is none; one at a
// time.
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/player_file.h"

// Told each write's outcome; error is empty when saved.
using PlayerFileSaveReport = void (*)(bool saved, const std::string& error);

struct PlayerFileSave {
  std::string path;
  std::string header;
  PlayerFile file;
  // When not empty, written as they are instead of header and file.
  std::string bytes;
  PlayerFileSaveReport report = nullptr;
};

// Queues save; it replaces a save of the same path that has not started.
void RequestPlayerFileSave(PlayerFileSave save);
// Starts the writer thread where the system has threads (the main loop's
// start); without it the passes write. 1 when it cannot start (the passes
// then write).
int32_t PlayerFileWriterStart();
// A main-loop pass: wakes the writer thread for saves handed over, or,
// without it, writes them.
void PlayerFileWriterPass();
// Writes every save still waiting and stops the writer thread; returns once
// all are on the disk (or have failed). The main loop's end.
void PlayerFileWriterFinish();
// Writes finished since start-up, for tests and measurements.
uint64_t PlayerFileWritesDone();
