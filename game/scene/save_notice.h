// What the player is told about the files the game keeps for him (settings,
// best score): one line on standard error, and a failing save said once
// however often it fails again.
#pragma once

#include <atomic>
#include <string>

// "tide_marker: <line>" on standard error.
void WarnPlayer(const std::string& line);
// Whether this save's result is to be said: the first failure is, the
// failures after it are not, until a save works again. Called from the
// settings writer's reports (any thread).
bool FirstSaveFailure(std::atomic<bool>* said, bool saved);
