// Parsing of the program's options into a CommandLine record, and the usage
// text that --help prints and a wrong option is answered with.
#include "engine/app/command_line.h"

#include <cstdio>
#include <cstring>

#include "engine/app/platform.h"

namespace {

constexpr char kContentsOption[] = "--contents";

bool IsContentsWithValue(const char* arg) {
  size_t length = sizeof kContentsOption - 1;
  return std::strncmp(arg, kContentsOption, length) == 0 && arg[length] == '=';
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
    } else if (std::strcmp(arg, kContentsOption) == 0) {
      // The value is the next argument whatever it looks like, so a folder
      // whose name starts with a dash can still be given.
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
        if (error.empty()) error = "option '--contents' needs a folder";
        // An empty value is taken with the option; nothing follows a
        // missing one.
        ++i;
        continue;
      }
      result.contentsFolder = argv[++i];
      result.contentsGiven = true;
    } else if (IsContentsWithValue(arg)) {
      if (arg[sizeof kContentsOption] == '\0') {
        if (error.empty()) error = "option '--contents' needs a folder";
        continue;
      }
      result.contentsFolder = arg + sizeof kContentsOption;
      result.contentsGiven = true;
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
