// What the player chooses and the game keeps between runs: full screen or a
// window. Init runs at program start, before the window opens.
#pragma once

#include "engine/app/command_line.h"

// Decides how the window opens: as the command line asks, else as last time.
void PlayerSettingsInit(WindowModeChoice windowMode);
// True when the window is to open in full screen.
bool PlayerSettingsFullscreen();
