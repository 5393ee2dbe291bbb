// The game's words in the usage text that --help prints and a wrong option
// is answered with: what the game is, its keys and where its settings live.
// The engine adds the options and the contents search (command_line.h).
#pragma once

#include <string>

std::string GameUsageText();
