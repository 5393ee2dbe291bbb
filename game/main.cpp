// Program entry: read the command line, find the contents folder, load the
// player's settings, then hand the game's callbacks to the engine and run its
// loop. Standard output carries only the game's own messages; everything the
// entry point says goes to standard error, except what --help and --version
// were asked for.
#include <cstdio>
#include <string>

#include "engine/app/app.h"
#include "engine/app/command_line.h"
#include "engine/app/contents_search.h"
#include "game/build_info.h"
#include "game/scene/best_score.h"
#include "game/scene/player_settings.h"
#include "game/scene/replay_check.h"
#include "game/scene/scene.h"
#include "game/usage.h"

int main(int argc, char** argv) {
  CommandLine options = ParseCommandLine(argc, argv);
  switch (options.action) {
    case CommandLineAction::kShowHelp:
      std::fputs(GameUsageText().c_str(), stdout);
      return 0;
    case CommandLineAction::kShowVersion:
      if (kSourceRevision[0] != '\0') {
        std::printf("%s %s (%s)\n", kProgramName, kProgramVersion, kSourceRevision);
      } else {
        std::printf("%s %s\n", kProgramName, kProgramVersion);
      }
      return 0;
    case CommandLineAction::kUsageError:
      std::fprintf(stderr, "%s: %s\n%s", kProgramName, options.error.c_str(), GameUsageText().c_str());
      return kExitUsageError;
    case CommandLineAction::kRun:
      break;
  }
  // The check needs no window, no contents and none of the player's files.
  if (options.replayMode == ReplayMode::kCheck) return CheckReplayFile(options.replayFile);
  if (options.replayMode == ReplayMode::kPlay) {
    Replay replay;
    std::string line;
    if (LoadReplayFile(options.replayFile, &replay, &line) != ReplayReadResult::kOk) {
      std::fprintf(stderr, "%s\n", line.c_str());
      return kReplayCheckUnreadable;
    }
    GameStartsWithReplay(replay);
  }
  if (!ChooseContentsFolder(options.contentsGiven, options.contentsFolder, kProgramName,
                            kInstalledContentsFromBin)) {
    return 1;
  }
  PlayerSettingsInit(options.windowMode);
  BestScoreInit();

  SetAppCallbacks(GameStart, GameEnd, GameFrame);
  return RunMainLoop();
}
