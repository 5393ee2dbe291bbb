// Block timings a player sees: the pop-up on the pick, vanishing in step with
// its sweet's serving, and the idle sparkle.
#include "game/field/block.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/field/board.h"
#include "game/field/sweet.h"
#include "game/scene/round_state.h"
#include "support/game/play_harness.h"

namespace {

class BlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    ASSERT_EQ(play::StartField(), 0);
    play::SettleField();
  }
  void TearDown() override { play::EndField(); }
  play::Finger finger = play::FieldFinger();
};

TEST_F(BlockTest, PopsUpOnThePickAndDropsWhenTheFingerLeaves) {
  const Block& b = board.grid.blocks[8];
  finger.Press(play::BlockCentre(8));
  EXPECT_FLOAT_EQ(b.sprite.pos.y, 220.0f - 15.0f);
  EXPECT_FLOAT_EQ(b.sprite.size.x, 134.4f);
  // Still within the enlarged circle (radius 67.2): stays up.
  finger.MoveTo(play::BlockCentre(8).x + 60, 220);
  EXPECT_TRUE(b.raised);
  finger.MoveTo(play::BlockCentre(8).x + 80, 220);
  EXPECT_FALSE(b.raised);
  EXPECT_FLOAT_EQ(b.sprite.pos.y, 220.0f);
  EXPECT_FLOAT_EQ(b.sprite.size.x, 89.6f);
  // Back onto it: no second pop-up in the same drag.
  finger.MoveTo(play::BlockCentre(8));
  EXPECT_FALSE(b.raised);
}

// Ticks alone, no frame drawn: the perfect plate is judged from vanished.
TEST_F(BlockTest, VanishesWithItsSweetsServing) {
  play::Finger finger(play::FieldTick);
  const std::vector<int32_t> path = {0, 1, 2, 3, 4, 5};
  for (int32_t i = 0; i < 6; ++i) BlockSetType(&board.grid.blocks[path[i]], i % 3);
  finger.DragBlocks(path);
  ASSERT_EQ(board.grid.sweetCount, 2);
  EXPECT_FALSE(board.grid.blocks[0].vanished);
  finger.Lift();  // tick 1: slot 0 served, its blocks gone
  EXPECT_TRUE(board.grid.blocks[0].vanished);
  EXPECT_TRUE(board.grid.blocks[2].vanished);
  EXPECT_FALSE(board.grid.blocks[3].vanished);
  finger.Hold(32);  // tick 33
  EXPECT_FALSE(board.grid.blocks[3].vanished);
  EXPECT_FALSE(sweetSlots[1].flying);
  finger.Hold(1);  // tick 34: slot 1 served, its blocks gone
  EXPECT_TRUE(sweetSlots[1].flying);
  EXPECT_TRUE(board.grid.blocks[3].vanished);
  EXPECT_TRUE(board.grid.blocks[5].vanished);
  EXPECT_FALSE(board.grid.blocks[6].vanished);
}

TEST_F(BlockTest, IdleSparklePlaysAboutEvery257Ticks) {
  Block& b = board.grid.blocks[0];
  BlockSetup(&b, 75, 125, 0, 0);
  std::vector<int32_t> starts;
  bool was = false;
  for (int32_t t = 1; t <= 1100; ++t) {
    playTicks += 1;
    BlockUpdate(&b);
    if (b.sparklePlaying && !was) starts.push_back(t);
    was = b.sparklePlaying;
  }
  ASSERT_GE(starts.size(), 4u);
  EXPECT_GE(starts[0], 221);
  EXPECT_LE(starts[0], 223);
  for (size_t i = 1; i < starts.size(); ++i) {
    EXPECT_GE(starts[i] - starts[i - 1], 255) << i;
    EXPECT_LE(starts[i] - starts[i - 1], 259) << i;
  }
}

TEST_F(BlockTest, TypeCellsAndTheirPickedPictures) {
  struct Case {
    int32_t type;
    float u, v;
  } cases[] = {{0, 0, 0}, {1, 0.5f, 0.25f}, {2, 0.5f, 0.5f}, {3, 0.5f, 0}, {4, 0, 0.25f}, {9, 0, 0}};
  Block& b = board.grid.blocks[0];
  for (const Case& c : cases) {
    BlockSetType(&b, c.type);
    EXPECT_FLOAT_EQ(b.sprite.uv[0], c.u) << c.type;
    EXPECT_FLOAT_EQ(b.sprite.uv[1], c.v) << c.type;
    EXPECT_FLOAT_EQ(b.selectedCell.x, c.u + 0.25f) << c.type;
  }
}

}  // namespace
