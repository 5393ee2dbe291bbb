// The usage text with the game's own words around the engine's options.
#include "game/usage.h"

#include "engine/app/command_line.h"
#include "game/build_info.h"

std::string GameUsageText() {
  std::string name = kProgramName;
  return UsageText(kProgramName,
                   "A one-finger arcade game: drag through the ingredient blocks to make\n"
                   "sweets for the customer.\n",
                   "Keys: M mutes and unmutes, - and = turn the volume down and up, F12 quits.\n"
                   "Full screen and volume are kept in $XDG_CONFIG_HOME/" + name + "/settings.ini\n"
                   "(~/.config/" + name + "/settings.ini when XDG_CONFIG_HOME is not set).\n");
}
