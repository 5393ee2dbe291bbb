// The usage text with the game's own words around the engine's options.
#include "game/usage.h"

#include "engine/app/command_line.h"
#include "engine/app/player_file.h"
#include "game/build_info.h"

std::string GameUsageText() {
  return UsageText(kProgramName,
                   "A one-finger arcade game: drag through the ingredient blocks to make\n"
                   "sweets for the customer.\n",
                   "Mouse or touch: drag through the blocks, let go to serve the sweets.\n"
                   "Keys: the arrows or W A S D move the cursor, hold Space or Enter to pick,\n"
                   "Tab takes the new-plate icon, Escape pauses; M mutes and unmutes, - and =\n"
                   "turn the volume down and up, F11 or Alt+Enter switches full screen, F12 quits.\n"
                   "Gamepad: the d-pad or left stick moves the cursor, hold the south button\n"
                   "(A / cross) to pick, west (X / square) takes the icon, Start pauses,\n"
                   "east (B / circle) resumes.\n"
                   "\n" +
                       PlayerFilesText(kProgramName, {{PlayerFileKind::kSettings, kSettingsFileName,
                                                       "full screen, volume and mute"},
                                                      {PlayerFileKind::kData, "best_score.ini", "the best score"},
                                                      {PlayerFileKind::kData, "last_round.replay",
                                                       "the last round played to the end"},
                                                      {PlayerFileKind::kData, "best_round.replay",
                                                       "the round of the best score"}}));
}
