// The round headless (no window, GL or sound device): built, played to
// "Finish!" by a finger (mouse input through the engine) dragging the scripted
// player's plans, released with no texture left, and the same again.
#include <gtest/gtest.h>

#include "e2e/probe/plate_plan.h"
#include "engine/app/app.h"
#include "game/field/board.h"
#include "game/scene/game_scene.h"
#include "game/scene/key_play.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"

TEST(HeadlessRound, PlaysToFinishTheSameTwice) {
  SetHeadless(true);
  std::vector<int32_t> runs[2];  // tick of "Finish!", score, plates
  for (std::vector<int32_t>& run : runs) {
    RoundRecordSeedNext(20240601u);
    InputReset(1024, 576);
    SetTouchArea(1024.0f, 576.0f);
    ASSERT_EQ(GameSceneInit(), 0);
    KeyPlayInit(&keyPlay);
    std::vector<int> cells;
    size_t step = 0;
    int32_t finish = -1;
    // Ticks as the game's tick does, until the best is recorded.
    for (int32_t tick = 0; tick < 60 * 120 && !finishFadeStarted; ++tick) {
      if (cells.empty() && selectionEnabled && !board.slidingIn && !boardChanging) {
        int types[kGridCells];
        for (int i = 0; i < kGridCells; ++i) types[i] = board.grid.blocks[i].type;
        cells = PlanDrag(types, 27);
        if (cells.empty()) cells = SnakeDrag();
      }
      if (step < cells.size()) {
        InputMouseMove(75.0f + cells[step] % 6 * 95.0f, 125.0f + cells[step] / 6 * 95.0f);
        InputMouseButton(1);
        ++step;
      } else if (!cells.empty()) {
        InputMouseButton(0);
        cells.clear();
        step = 0;
      }
      SampleTouchSlots();
      KeyPlayUpdate(&keyPlay);
      GameSceneUpdate();
      RefreshTouchLastPositions();
      FinishTouchTick();
      if (roundFinishing && finish < 0) finish = tick;
    }
    run = {finish, score, plateCount};
    GameSceneRelease();
    EXPECT_EQ(HeadlessTextureCount(), 0);
  }
  std::printf("headless round: Finish! at tick %d, score %d, %d plates\n", runs[0][0], runs[0][1], runs[0][2]);
  EXPECT_GE(runs[0][0], 0);
  EXPECT_GT(runs[0][1], 0);
  EXPECT_GT(runs[0][2], 1);
  EXPECT_EQ(runs[1], runs[0]);
}
