// The player's files (settings, best score): small "key = value" files on
// the disk, where they live, reading them whole and writing them so that a
// crash or a full disk mid-write never leaves a half-written file (a
// temporary file of its own beside it, flushed to disk, renamed over it, then
// the folder flushed). Writing waits for the disk: it belongs on the
// player-file writer (player_file_writer.h), never in a tick. Any thread; one
// writer of a given file at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/app/player_file_text.h"

enum class PlayerFileReadResult : int32_t {
  kRead,        // every line understood
  kMissing,     // no file yet
  kUnreadable,  // there, but it cannot be opened or read
  kDamaged,     // read; some lines were not "key = value" (the rest is kept)
};

struct PlayerFile {
  PlayerFileReadResult result = PlayerFileReadResult::kMissing;
  // In file order; a key given twice keeps its last value.
  std::vector<PlayerFileEntry> entries;
  // What went wrong, for one line of standard error (no newline); empty for kRead.
  std::string problem;
};

// Files larger than this are not ones the program wrote: damaged.
constexpr size_t kPlayerFileMaxBytes = 64 * 1024;

// The settings file's name in its folder, on every system.
constexpr char kSettingsFileName[] = "settings.ini";

// A file under an XDG base folder: <xdgHome>/<name>/<fileName>, or
// $HOME/<homeFallback>/<name>/<fileName> when xdgHome is unset, empty or
// relative (the settings: $XDG_CONFIG_HOME or .config; data files:
// $XDG_DATA_HOME or .local/share). Empty when neither gives an absolute
// folder.
std::string XdgFilePath(const char* xdgHome, const char* home, const char* homeFallback, const char* programName,
                        const char* fileName);

// The settings file of programName where this system keeps it: on Linux
// XdgFilePath of $XDG_CONFIG_HOME and $HOME, in a browser the page's
// own storage. Empty when there is no folder for it.
std::string SystemSettingsPath(const char* programName);

// The data file fileName of programName where this system keeps such files:
// on Linux XdgFilePath of $XDG_DATA_HOME and $HOME, in a browser the page's
// own storage beside the settings. Empty when there is no folder for it.
std::string SystemDataPath(const char* programName, const char* fileName);

// Reads path whole. Its problem names the file by kind, as the player knows
// it ("settings file", "best score file").
PlayerFile ReadPlayerFile(const std::string& path, const char* kind);

// Renames a file that could not be read whole to "<path>.damaged" (or
// "<path>.damaged.<n>" when that is taken), so that a new file can take its
// place without losing what it held. The rename never replaces a file made
// under the name meanwhile. The name it now has, or empty with *error set
// when it could not be moved.
std::string KeepFileAside(const std::string& path, std::string* error);
inline const std::string* FindPlayerFileValue(const PlayerFile& file, const std::string& key) {
  return FindPlayerFileValue(file.entries, key);
}
inline void PutPlayerFileValue(PlayerFile* file, const std::string& key, const std::string& value) {
  PutPlayerFileValue(&file->entries, key, value);
}

// Writes the entries after a comment line (header, may be empty), creating
// the folder when needed; a path that is a symbolic link is written where
// the link leads, and the link stays. On failure the file at path is left as
// it was, the temporary file is removed, and *error says why.
bool WritePlayerFile(const std::string& path, const std::string& header, const PlayerFile& file, std::string* error);
// The same for a file of any bytes (a replay).
bool WritePlayerFileBytes(const std::string& path, const std::string& bytes, std::string* error);

// Removes the temporary files a write of path left behind when the program
// was stopped between making one and renaming it (a crash, a power cut).
// Files younger than kPlayerFileTemporaryStaleSeconds are left alone: they may
// be another copy of the program's write under way. Returns how many went.
constexpr int64_t kPlayerFileTemporaryStaleSeconds = 60;
int32_t RemoveStalePlayerFileTemporaries(const std::string& path);
