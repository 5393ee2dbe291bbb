// The files the game keeps for the player (settings, best score): how a save
// of one is handed to the player-file writer, and what he is told about them,
// one line on standard error, a failing save said once however often it
// fails again.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "engine/app/player_file_writer.h"

// "tide_marker: <line>" on standard error.
void WarnPlayer(const std::string& line);
// Whether this save's result is to be said: the first failure is, the
// failures after it are not, until a save works again. Called from the
// player-file writer's reports (any thread).
bool FirstSaveFailure(std::atomic<bool>* said, bool saved);
// Hands entries to the player-file writer, to be written to path under the
// header line; report hears how the write went. Returns at once.
void SavePlayerFile(const std::string& path, const char* header, std::vector<PlayerFileEntry> entries,
                    PlayerFileSaveReport report);
