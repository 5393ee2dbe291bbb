// The round headless (no window, GL or sound device): played to "Finish!" by
// the scripted finger (mouse input through the engine) from a seed, released
// with no texture left; the same again from the same seed, and its record
// replayed by the checker to the same end.
#include <gtest/gtest.h>

#include "engine/render/texture.h"
#include "game/scene/replay_check.h"
#include "game/scene/scripted_finger.h"

TEST(HeadlessRound, PlaysToFinishTheSameTwiceAndReplays) {
  Replay runs[2];
  for (Replay& run : runs) {
    ASSERT_TRUE(ScriptedRoundPlay(20240601u, 60 * 600, &run));
    EXPECT_EQ(HeadlessTextureCount(), 0);
  }
  std::printf("headless round: %zu ticks, score %d, %d plates\n", runs[0].ticks.size(), runs[0].score, runs[0].plates);
  EXPECT_GT(runs[0].score, 0);
  EXPECT_GT(runs[0].plates, 1);
  EXPECT_EQ(EncodeReplay(runs[1]), EncodeReplay(runs[0]));
  std::string line;
  EXPECT_EQ(CheckReplay(runs[0], &line), kReplayCheckMatches) << line;
}
