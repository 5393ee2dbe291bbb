// The command line: each option, the combinations that decide between two,
// and each error, read from argv arrays as the program receives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/app/command_line.h"

namespace {

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tide_marker");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, OptionsAreRead) {
  using Action = CommandLineAction;
  using Mode = WindowModeChoice;
  struct Case {
    std::vector<const char*> args;
    Action action;
    Mode mode;
    bool contentsGiven;
    std::string contents;
  };
  const Case cases[] = {
      {{}, Action::kRun, Mode::kFromSettings, false, ""},
      {{"--fullscreen"}, Action::kRun, Mode::kFullscreen, false, ""},
      {{"--windowed"}, Action::kRun, Mode::kWindowed, false, ""},
      // The last of the two counts.
      {{"--fullscreen", "--windowed"}, Action::kRun, Mode::kWindowed, false, ""},
      {{"--windowed", "--fullscreen"}, Action::kRun, Mode::kFullscreen, false, ""},
      {{"--contents", "/opt/game/contents"}, Action::kRun, Mode::kFromSettings, true, "/opt/game/contents"},
      {{"--contents=rel/dir"}, Action::kRun, Mode::kFromSettings, true, "rel/dir"},
      // The value is taken whatever it looks like.
      {{"--contents", "--odd name"}, Action::kRun, Mode::kFromSettings, true, "--odd name"},
      {{"--contents", "a", "--contents", "b", "--fullscreen"}, Action::kRun, Mode::kFullscreen, true, "b"},
      {{"--help"}, Action::kShowHelp, Mode::kFromSettings, false, ""},
      {{"-h"}, Action::kShowHelp, Mode::kFromSettings, false, ""},
      {{"--version"}, Action::kShowVersion, Mode::kFromSettings, false, ""},
      {{"--version", "--help"}, Action::kShowVersion, Mode::kFromSettings, false, ""},
      {{"--windowed", "--help"}, Action::kShowHelp, Mode::kWindowed, false, ""},
      // Who asks for the help gets it, whatever else is wrong on the line.
      {{"--help", "--bogus"}, Action::kShowHelp, Mode::kFromSettings, false, ""},
      {{"--bogus", "--help"}, Action::kShowHelp, Mode::kFromSettings, false, ""},
      {{"stray", "--version", "--contents"}, Action::kShowVersion, Mode::kFromSettings, false, ""},
      // ... but a value is a value.
      {{"--contents", "--help"}, Action::kRun, Mode::kFromSettings, true, "--help"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const char* arg : c.args) joined += std::string(arg) + " ";
    SCOPED_TRACE(joined);
    CommandLine line = Parse(c.args);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.windowMode, c.mode);
    EXPECT_EQ(line.contentsGiven, c.contentsGiven);
    EXPECT_EQ(line.contentsFolder, c.contents);
    EXPECT_EQ(line.error, "");
  }
}

TEST(CommandLine, ErrorsNameTheArgument) {
  struct Case {
    std::vector<const char*> args;
    std::string error;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--fullscreen", "-x"}, "unknown option '-x'"},
      {{"--Fullscreen"}, "unknown option '--Fullscreen'"},
      {{"-"}, "unknown option '-'"},
      {{"--bogus", "--other"}, "unknown option '--bogus'"},
      {{"--contents=", "--bogus"}, "option '--contents' needs a folder"},
      {{"--a\nb\x7f"}, "unknown option '--a\\x0Ab\\x7F'"},
      {{"--contents"}, "option '--contents' needs a folder"},
      {{"--contents="}, "option '--contents' needs a folder"},
      {{"--contents", ""}, "option '--contents' needs a folder"},
      {{"--windowed", "--contents"}, "option '--contents' needs a folder"},
      {{"contents"}, "unexpected argument 'contents'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    CommandLine line = Parse(c.args);
    EXPECT_EQ(line.action, CommandLineAction::kUsageError);
    EXPECT_EQ(line.error, c.error);
    EXPECT_EQ(line.error.find('\n'), std::string::npos) << "one line";
  }
}

TEST(CommandLine, PlayerFilesSayWhereThisSystemKeepsEach) {
  std::string text = PlayerFilesText("tide_marker", {{PlayerFileKind::kSettings, "settings.ini", "the settings"},
                                                     {PlayerFileKind::kData, "best_score.ini", "the best score"}});
  const std::string indent(20, ' ');
  for (const char* entry : {"  settings.ini      the settings\n", "  best_score.ini    the best score\n"}) {
    size_t at = text.find(entry);
    ASSERT_NE(at, std::string::npos) << entry;
    size_t folder = at + std::strlen(entry);
    // The folder in this system's words follows on the next line.
    EXPECT_EQ(text.compare(folder, indent.size() + 3, indent + "in "), 0) << entry;
    EXPECT_NE(text[folder + indent.size() + 3], '\n') << entry;
  }
  // Every line fits a terminal's 80 columns, continuation lines in the options' column.
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    if (start > 0) {
      EXPECT_EQ(text[start], ' ') << text.substr(start, end - start);
    }
  }
}

TEST(CommandLine, UsageNamesEveryOptionAndThePlaces) {
  std::string usage = UsageText("tide_marker", "About the game.\n", "Its keys.\n");
  ASSERT_FALSE(usage.empty());
  EXPECT_EQ(usage.rfind("Usage: tide_marker [OPTION]...\nAbout the game.\n\n", 0), 0u);
  EXPECT_EQ(usage.substr(usage.size() - 12), "\n\nIts keys.\n");
  for (const char* word : {"--fullscreen", "--windowed", "--contents DIR", "--help", "--version", "./contents"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
  for (const char* word : {"share/tide_marker/contents", "XDG_DATA_DIRS"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
#endif
  // Every option the usage lists is one the parser takes.
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"--fullscreen"}, {"--windowed"}, {"--contents", "x"}, {"--help"}, {"-h"}, {"--version"}}) {
    EXPECT_NE(Parse(args).action, CommandLineAction::kUsageError) << args[0];
  }
}

}  // namespace
