// The title's demo: after the title has been left alone for a while, a
// replayed round, the player's best when its replay agrees with the best
// score, else the round that comes with the contents.
#pragma once

#include <cstdint>

#include "game/scene/replay_file.h"

// The contents' built-in round.
constexpr char kDemoRoundFileName[] = "demo_round.replay";

// Ticks the title waits, input-free, before its demo: 20 seconds, or the
// seconds TIDE_TEST_DEMO_SECONDS gives (for tests).
int32_t TitleDemoWaitTicks();
// The replay to show: best_round.replay when it reads as one of these rules
// and its score is the best score, else the contents' demo round. A file
// that cannot be read costs one line on standard error; false when neither
// can be read.
bool TitleDemoChoose(Replay* replay);
