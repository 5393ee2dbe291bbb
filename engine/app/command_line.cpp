// Parsing of the program's options into a CommandLine record, and the usage
// text that --help prints and a wrong option is answered with.
#include "engine/app/command_line.h"

#include <cstdio>
#include <cstring>

#include "engine/app/platform.h"

namespace {

// The options that take a value: the next argument, or what follows "=".
struct ValueOption {
  const char* name;
  const char* needs;  // what the error line says is missing
};
constexpr ValueOption kContentsOption = {"--contents", "a folder"};
constexpr ValueOption kReplayOption = {"--replay", "a replay file"};
constexpr ValueOption kCheckReplayOption = {"--check-replay", "a replay file"};

enum class ValueMatch { kNone, kNext, kJoined };

ValueMatch MatchValueOption(const char* arg, const ValueOption& option) {
  const size_t length = std::strlen(option.name);
  if (std::strncmp(arg, option.name, length) != 0) return ValueMatch::kNone;
  if (arg[length] == '\0') return ValueMatch::kNext;
  return arg[length] == '=' ? ValueMatch::kJoined : ValueMatch::kNone;
}

// The argument as an error line shows it: a line break or another control
// character in it would break the one line, or hide what was typed.
std::string Shown(const char* arg) {
  std::string shown;
  for (const char* c = arg; *c != '\0'; ++c) {
    unsigned char byte = static_cast<unsigned char>(*c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += *c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown;
}

// True when argv[*i] is option; its value goes to *value (the next argument
// whatever it looks like, so a name starting with a dash can still be given),
// or *value is emptied and *error set when there is none.
bool TakeValue(int argc, const char* const* argv, int* i, const ValueOption& option, std::string* value,
               std::string* error) {
  const char* arg = argv[*i] != nullptr ? argv[*i] : "";
  const ValueMatch match = MatchValueOption(arg, option);
  if (match == ValueMatch::kNone) return false;
  const char* given = match == ValueMatch::kJoined ? arg + std::strlen(option.name) + 1
                      : *i + 1 < argc && argv[*i + 1] != nullptr ? argv[*i + 1]
                                                                  : "";
  // A separate value is taken with the option even when empty.
  if (match == ValueMatch::kNext) ++*i;
  value->assign(given);
  if (value->empty() && error->empty()) *error = std::string("option '") + option.name + "' needs " + option.needs;
  return true;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  bool helpOrVersion = false;
  // The first wrong argument; reported once every argument has been seen,
  // unless --help or --version was asked for.
  std::string error;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i] != nullptr ? argv[i] : "";
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      if (!helpOrVersion) result.action = CommandLineAction::kShowHelp;
      helpOrVersion = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      if (!helpOrVersion) result.action = CommandLineAction::kShowVersion;
      helpOrVersion = true;
    } else if (std::strcmp(arg, "--fullscreen") == 0) {
      result.windowMode = WindowModeChoice::kFullscreen;
    } else if (std::strcmp(arg, "--windowed") == 0) {
      result.windowMode = WindowModeChoice::kWindowed;
    } else if (TakeValue(argc, argv, &i, kContentsOption, &result.contentsFolder, &error)) {
      result.contentsGiven = !result.contentsFolder.empty();
    } else if (TakeValue(argc, argv, &i, kReplayOption, &result.replayFile, &error)) {
      result.replayMode = result.replayFile.empty() ? ReplayMode::kNone : ReplayMode::kPlay;
    } else if (TakeValue(argc, argv, &i, kCheckReplayOption, &result.replayFile, &error)) {
      result.replayMode = result.replayFile.empty() ? ReplayMode::kNone : ReplayMode::kCheck;
    } else if (error.empty()) {
      error = std::string(arg[0] == '-' ? "unknown option '" : "unexpected argument '") + Shown(arg) + "'";
    }
  }
  if (helpOrVersion || error.empty()) return result;
  CommandLine wrong;
  wrong.action = CommandLineAction::kUsageError;
  wrong.error = error;
  return wrong;
}

std::string UsageText(const char* programName, const std::string& about, const std::string& notes) {
  std::string name = programName;
  return "Usage: " + name + " [OPTION]...\n" + about +
         "\n"
         "  --fullscreen      play in full screen at the desktop's size\n"
         "  --windowed        play in a 1024 x 576 window\n"
         "                    (without either, as last time: see the settings)\n"
         "  --contents DIR    read the pictures and sounds from DIR\n"
         "  --replay FILE     watch a recorded round again\n"
         "  --check-replay FILE\n"
         "                    run a recorded round without a window or sound and\n"
         "                    print its score: exit 0 when it still reaches it,\n"
         "                    1 when it does not, 2 when FILE cannot be read\n"
         "  -h, --help        show this help and exit\n"
         "  --version         show the version and exit\n"
         "\n" +
         PlatformContentsHelp(programName) + (notes.empty() ? "" : "\n" + notes);
}

std::string PlayerFilesText(const char* programName, const std::vector<PlayerFileHelp>& files) {
  // The options' column: two spaces, then 18 for the name.
  const std::string indent(20, ' ');
  std::string text = "The player's files:\n";
  for (const PlayerFileHelp& file : files) {
    std::string name = file.fileName;
    text += "  " + name + std::string(name.size() < 18 ? 18 - name.size() : 1, ' ') + file.holds + "\n";
    std::string folder = file.kind == PlayerFileKind::kSettings ? PlatformSettingsFolderHelp(programName)
                                                                : PlatformDataFolderHelp(programName);
    text += indent + "in ";
    for (char c : folder) text += c == '\n' ? "\n" + indent : std::string(1, c);
    text += "\n";
  }
  return text;
}
