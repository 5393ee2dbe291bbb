// Fuzz target for the command line parser: the input is split at zero bytes
// into arguments (at most kMaxArguments), as the program would receive them.
//  - The record is consistent: an error exactly for kUsageError, on one
//    line; a folder exactly when --contents was taken, a replay file exactly
//    when --replay or --check-replay was.
//  - The record written back as arguments (its canonical command line)
//    parses to the same record.
//  - --help added anywhere to a line that was not already asking for the
//    version gives the help, whatever else is wrong.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/command_line.h"
#include "engine/app/platform.h"

// The help's folder lines come from the platform file, which this target does
// not link: fixed texts stand in.
std::string PlatformContentsHelp(const char*) { return "contents: beside the program"; }
std::string PlatformSettingsFolderHelp(const char*) { return "the settings folder"; }
std::string PlatformDataFolderHelp(const char*) { return "the data folder"; }

namespace {

constexpr size_t kMaxArguments = 64;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "command_line_fuzz: %s\n", what);
  std::abort();
}

CommandLine Parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"tide_marker"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
}

bool Same(const CommandLine& a, const CommandLine& b) {
  return a.action == b.action && a.windowMode == b.windowMode && a.contentsGiven == b.contentsGiven &&
         a.contentsFolder == b.contentsFolder && a.replayMode == b.replayMode && a.replayFile == b.replayFile &&
         a.error == b.error;
}

// The shortest arguments that ask for what line holds.
std::vector<std::string> Canonical(const CommandLine& line) {
  std::vector<std::string> args;
  if (line.windowMode == WindowModeChoice::kFullscreen) args.push_back("--fullscreen");
  if (line.windowMode == WindowModeChoice::kWindowed) args.push_back("--windowed");
  if (line.contentsGiven) {
    args.push_back("--contents");
    args.push_back(line.contentsFolder);
  }
  if (line.replayMode != ReplayMode::kNone) {
    args.push_back(line.replayMode == ReplayMode::kPlay ? "--replay" : "--check-replay");
    args.push_back(line.replayFile);
  }
  if (line.action == CommandLineAction::kShowHelp) args.push_back("--help");
  if (line.action == CommandLineAction::kShowVersion) args.push_back("--version");
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  size_t start = 0;
  while (start <= size && args.size() < kMaxArguments) {
    size_t end = start;
    while (end < size && data[end] != 0) ++end;
    args.emplace_back(reinterpret_cast<const char*>(data) + start, end - start);
    start = end + 1;
  }

  CommandLine line = Parse(args);
  bool usageError = line.action == CommandLineAction::kUsageError;
  Require(usageError == !line.error.empty(), "an error without kUsageError, or the other way round");
  Require(line.error.find('\n') == std::string::npos, "an error of more than one line");
  if (line.action != CommandLineAction::kShowVersion) {
    for (size_t at : {size_t{0}, args.size() / 2, args.size()}) {
      std::vector<std::string> withHelp = args;
      withHelp.insert(withHelp.begin() + static_cast<long>(at), "--help");
      CommandLine help = Parse(withHelp);
      // Placed right after a bare option that takes a value it is that value.
      bool takenAsValue = at > 0 && (withHelp[at - 1] == "--contents" || withHelp[at - 1] == "--replay" ||
                                     withHelp[at - 1] == "--check-replay");
      Require(takenAsValue || help.action == CommandLineAction::kShowHelp, "--help did not win");
    }
  }
  if (usageError) {
    Require(line.windowMode == WindowModeChoice::kFromSettings && !line.contentsGiven,
            "a usage error carries options");
    return 0;
  }
  Require(line.contentsGiven == !line.contentsFolder.empty(), "a folder without --contents, or an empty one");
  Require((line.replayMode != ReplayMode::kNone) == !line.replayFile.empty(),
          "a replay file without its option, or an empty one");
  Require(Same(Parse(Canonical(line)), line), "the record's own command line reads differently");

  return 0;
}
