// The three background music loops: stereo, whole bars, mixed round the loop
// point so they repeat without a gap or a click.
#pragma once

#include "synth.h"

AudioBuffer MusicTitle();  // cheerful, C major
AudioBuffer MusicGame();   // upbeat, G major
AudioBuffer MusicClear();  // festive, D major
