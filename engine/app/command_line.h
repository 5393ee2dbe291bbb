// The program's command line: options read from an argv array into a plain
// record, with no side effects, and the usage text around the game's own
// words. The entry point acts on the result (prints, exits, or starts the
// game with the options).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the entry point does after parsing.
enum class CommandLineAction : int32_t {
  kRun,          // start the game with the options
  kShowHelp,     // print the usage on standard output, exit 0
  kShowVersion,  // print the version on standard output, exit 0
  kUsageError,   // print the error line and the usage on standard error, exit 2
};

// How the window opens: as the settings say, or as the command line asks.
enum class WindowModeChoice : int32_t { kFromSettings, kFullscreen, kWindowed };

// --replay FILE plays a recorded round in the window; --check-replay FILE
// runs it with no window and says whether it still gives its score.
enum class ReplayMode : int32_t { kNone, kPlay, kCheck };

constexpr int kExitUsageError = 2;

struct CommandLine {
  CommandLineAction action = CommandLineAction::kRun;
  WindowModeChoice windowMode = WindowModeChoice::kFromSettings;
  // --contents DIR; empty when not given.
  std::string contentsFolder;
  bool contentsGiven = false;
  ReplayMode replayMode = ReplayMode::kNone;
  std::string replayFile;
  // For kUsageError: one line naming the offending argument (no newline).
  std::string error;
};

// Reads argv[1..argc-1]. The first of --help or --version wins over every
// other argument, a wrong one included, wherever it stands: who asks for the
// help gets it (the other options still fill the record). Of --fullscreen
// and --windowed the last one given counts. --contents takes the next
// argument, or the value after "--contents=". Otherwise the first wrong
// argument makes a kUsageError; its line shows control characters as \xNN.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The usage text, ending in a newline; programName as the program is named.
// about (what the program is) follows the usage line, and notes (its keys,
// its files) end the text; the engine's part lists the options and where
// this system looks for the contents. Each ends in a newline or is empty.
std::string UsageText(const char* programName, const std::string& about, const std::string& notes);

// Where a system keeps a player file: with the settings, or with the data.
enum class PlayerFileKind : int32_t {
  kSettings = 0,
  kData = 1,
};

struct PlayerFileHelp {
  PlayerFileKind kind;
  const char* fileName;
  const char* holds;  // what the file keeps, a few words
};

// The usage text's lines on the player's files: each file, what it holds
// and the folder where this system keeps it. Ends in a newline.
std::string PlayerFilesText(const char* programName, const std::vector<PlayerFileHelp>& files);
