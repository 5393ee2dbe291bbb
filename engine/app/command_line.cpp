// Parsing of the program's options into a CommandLine record, and the usage
// text that --help prints and a wrong option is answered with.
#include "engine/app/command_line.h"

#include <cstring>

namespace {

constexpr char kContentsOption[] = "--contents";

bool IsContentsWithValue(const char* arg) {
  size_t length = sizeof kContentsOption - 1;
  return std::strncmp(arg, kContentsOption, length) == 0 && arg[length] == '=';
}

CommandLine UsageError(const std::string& line) {
  CommandLine result;
  result.action = CommandLineAction::kUsageError;
  result.error = line;
  return result;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  bool helpOrVersion = false;
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
    } else if (std::strcmp(arg, kContentsOption) == 0) {
      // The value is the next argument whatever it looks like, so a folder
      // whose name starts with a dash can still be given.
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
        return UsageError("option '--contents' needs a folder");
      }
      result.contentsFolder = argv[++i];
      result.contentsGiven = true;
    } else if (IsContentsWithValue(arg)) {
      result.contentsFolder = arg + sizeof kContentsOption;
      if (result.contentsFolder.empty()) return UsageError("option '--contents' needs a folder");
      result.contentsGiven = true;
    } else if (arg[0] == '-') {
      return UsageError(std::string("unknown option '") + arg + "'");
    } else {
      return UsageError(std::string("unexpected argument '") + arg + "'");
    }
  }
  return result;
}

std::string UsageText(const char* programName) {
  std::string name = programName;
  return "Usage: " + name + " [OPTION]...\n"
         "A one-finger arcade game: drag through the ingredient blocks to make\n"
         "sweets for the customer.\n"
         "\n"
         "  --fullscreen      play in full screen at the desktop's size\n"
         "  --windowed        play in a 1024 x 576 window\n"
         "                    (without either, as last time: see the settings)\n"
         "  --contents DIR    read the pictures and sounds from DIR\n"
         "  -h, --help        show this help and exit\n"
         "  --version         show the version and exit\n"
         "\n"
         "Without --contents the pictures and sounds are looked for in ./contents,\n"
         "then in ../share/" + name + "/contents beside the program's folder, then in\n"
         "each folder of $XDG_DATA_DIRS (/usr/local/share:/usr/share) + /" + name + "/contents.\n"
         "\n"
         "Keys: M mutes and unmutes, - and = turn the volume down and up, F12 quits.\n"
         "Full screen and volume are kept in $XDG_CONFIG_HOME/" + name + "/settings.ini\n"
         "(~/.config/" + name + "/settings.ini when XDG_CONFIG_HOME is not set).\n";
}
