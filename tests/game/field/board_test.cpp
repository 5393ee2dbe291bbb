// The board as a player meets it: which drags pick which blocks, which picks
// make which sweets, what a lift does, how plates slide and what they carry.
#include "game/field/board.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "game/field/sweet.h"
#include "game/scene/round_state.h"
#include "support/game/play_harness.h"

namespace {

std::vector<int32_t> Chain() {
  return std::vector<int32_t>(board.grid.chain, board.grid.chain + board.grid.chainLength);
}

void SetTypes(const std::vector<int32_t>& blocks, const std::vector<int32_t>& types) {
  for (size_t i = 0; i < blocks.size(); ++i) BlockSetType(&board.grid.blocks[blocks[i]], types[i]);
}

int32_t SelectedCount() {
  int32_t n = 0;
  for (int32_t i = 0; i < kGridCells; ++i) n += board.grid.blocks[i].selected ? 1 : 0;
  return n;
}

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    ASSERT_EQ(play::StartField(), 0);
    play::SettleField();
    ASSERT_TRUE(selectionEnabled);
  }
  void TearDown() override { play::EndField(); }
  play::Finger finger = play::FieldFinger();
};

TEST_F(BoardTest, DragPicksOnlyUnpickedNeighboursWithoutRowWrap) {
  struct Case {
    std::vector<int32_t> path;
    std::vector<int32_t> picked;
  } cases[] = {
      {{0, 1, 2}, {0, 1, 2}},
      {{0, 6, 12, 13}, {0, 6, 12, 13}},
      {{0, 7}, {0}},            // diagonal
      {{0, 2}, {0}},            // two cells away
      {{0, 1, 0, 6}, {0, 1}},   // back onto a picked block, then not adjacent to 1
      {{5, 6}, {5}},            // right end of row 0 to left end of row 1
      {{5, 11}, {5, 11}},
      {{6, 5}, {6}},
      {{23, 24}, {23}},
      {{24, 23}, {24}},
  };
  for (const Case& c : cases) {
    // Types that neither repeat nor complete a recipe along any path.
    SetTypes({0, 1, 2, 5, 6, 7, 11, 12, 13, 23, 24}, {0, 1, 3, 0, 3, 4, 1, 4, 1, 0, 1});
    finger.DragBlocks(c.path);
    EXPECT_EQ(Chain(), c.picked) << "path starting at " << c.path[0];
    EXPECT_EQ(SelectedCount(), static_cast<int32_t>(c.picked.size()));
    finger.Lift();  // no sweet: the drag is cancelled
    finger.Hold(1);
    ASSERT_EQ(board.grid.chainLength, 0);
  }
}

TEST_F(BoardTest, SeveralBlocksUnderTheFingerInOneTickFollowTheNeighbourChain) {
  // Widen every block so that one touch point lies in blocks 0, 1, 6 and 7.
  for (int32_t i = 0; i < kGridCells; ++i) board.grid.blocks[i].sprite.size = MakeVec2(300, 300);
  SetTypes({0, 1, 6, 7}, {0, 1, 2, 0});
  finger.Press(play::BlockCentre(0));
  // Tried in index order: 1 follows 0, 6 is not next to 1, 7 is below 1.
  EXPECT_EQ(Chain(), (std::vector<int32_t>{0, 1, 7}));
}

TEST_F(BoardTest, RecipeRuleTable) {
  struct Case {
    const char* rule;
    int32_t counts[5];
    int32_t previous;
    RecipeResult want;
  } cases[] = {
      {"1a", {0, 0, 0, 1, 1}, 1, {3, 5, true}},
      {"1b", {0, 0, 0, 0, 1}, 1, {2, 4, true}},
      {"2", {0, 0, 0, 1, 0}, 2, {3, 5, true}},
      {"3 twice a type", {2, 1, 0, 0, 0}, 0, {kSweetFailed, 3, false}},
      {"3 beats 4a", {1, 1, 1, 1, 2}, 0, {kSweetFailed, 6, false}},
      {"3 after a sweet", {0, 0, 0, 0, 2}, 1, {kSweetFailed, 2, false}},
      {"4a", {1, 1, 1, 1, 1}, 0, {3, 5, false}},
      {"4b", {1, 1, 1, 0, 1}, 3, {2, 4, false}},
      {"4c", {1, 1, 1, 0, 0}, -1, {1, 3, false}},
      {"type 4 alone", {0, 0, 0, 0, 1}, 0, {kSweetNone, 0, false}},
      {"no upgrade of kind 2 by 4", {0, 0, 0, 0, 1}, 2, {kSweetNone, 0, false}},
      {"no upgrade of failed", {0, 0, 0, 1, 0}, -1, {kSweetNone, 0, false}},
      {"kind 3 is final", {0, 0, 0, 1, 1}, 3, {kSweetNone, 0, false}},
      {"3 with 0 waits", {1, 0, 0, 1, 0}, 1, {kSweetNone, 0, false}},
  };
  for (const Case& c : cases) {
    const RecipeResult r = RecipeRule(c.counts, c.previous);
    EXPECT_EQ(r.kind, c.want.kind) << c.rule;
    EXPECT_EQ(r.count, c.want.count) << c.rule;
    EXPECT_EQ(r.upgrade, c.want.upgrade) << c.rule;
  }
}

TEST_F(BoardTest, PicksMakeAndUpgradeSweetsInTheirSlot) {
  struct Step {
    int32_t type;
    int32_t sweets;     // sweetCount after the pick
    int32_t lastKind;   // kind of the last slot used
    int32_t coloured;   // blocks tinted with that slot's colour
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"0 1 0 fails", {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, kSweetFailed, 3}}},
      {"0 1 2 then 4 then 3",
       {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 1, 1, 3}, {4, 1, 2, 4}, {3, 1, 3, 5}}},
      {"kind 1 then 3 then 4", {{2, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 3}, {3, 1, 1, 3}, {4, 1, 3, 5}}},
      {"kind 1 then 4 then 3", {{1, 0, 0, 0}, {2, 0, 0, 0}, {0, 1, 1, 3}, {4, 1, 2, 4}, {3, 1, 3, 5}}},
      {"all five", {{4, 0, 0, 0}, {3, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {2, 1, 3, 5}}},
      {"0 1 2 4 makes kind 2", {{4, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {2, 1, 2, 4}}},
      {"kind 1 then a fail", {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 1, 1, 3}, {4, 1, 2, 4},
                              {4, 1, 2, 4}, {4, 2, kSweetFailed, 2}}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> path = {0, 1, 2, 3, 4, 5};
    std::vector<int32_t> types;
    for (const Step& s : c.steps) types.push_back(s.type);
    path.resize(types.size());
    SetTypes(path, types);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Vec2 p = play::BlockCentre(path[i]);
      if (i == 0) finger.Press(p); else finger.MoveTo(p);
      const Step& s = c.steps[i];
      ASSERT_EQ(board.grid.sweetCount, s.sweets) << c.name << " pick " << i;
      if (s.sweets == 0) continue;
      const Sweet& last = sweetSlots[s.sweets - 1];
      EXPECT_EQ(last.kind, s.lastKind) << c.name << " pick " << i;
      EXPECT_TRUE(last.waiting);
      int32_t coloured = 0;
      for (int32_t b = 0; b <= static_cast<int32_t>(i); ++b) {
        const Color& col = board.grid.blocks[path[b]].sprite.color;
        if (col.a == 0.5f && col.r == last.color.x && col.g == last.color.y && col.b == last.color.z) {
          ++coloured;
        }
      }
      EXPECT_EQ(coloured, s.coloured) << c.name << " pick " << i;
    }
    // Start each case on a fresh plate.
    GridLayout(&board.grid, board.x, board.y);
    selectionEnabled = true;
    finger.Lift();
    finger.Hold(1);
  }
}

TEST_F(BoardTest, LiftTurnsLeftoverPicksIntoAFailedSweetAndClosesThePlate) {
  SetTypes({0, 1, 2, 3, 4}, {0, 1, 2, 0, 1});
  finger.DragBlocks({0, 1, 2, 3, 4});
  ASSERT_EQ(board.grid.sweetCount, 1);
  EXPECT_FALSE(failMadeOnPlate);
  finger.Lift();
  EXPECT_EQ(board.grid.sweetCount, 2);
  EXPECT_EQ(sweetSlots[1].kind, kSweetFailed);
  EXPECT_TRUE(failMadeOnPlate);
  EXPECT_FALSE(selectionEnabled);
  // Grey, from the two leftover blocks, placed at the first of them.
  EXPECT_FLOAT_EQ(sweetSlots[1].color.x, 0.2f);
  EXPECT_FLOAT_EQ(sweetSlots[1].home.x, play::BlockCentre(3).x);
  EXPECT_EQ(board.grid.blocks[4].servingRank, 0);
  // A new press on the closed plate picks nothing.
  finger.Press(play::BlockCentre(10));
  EXPECT_FALSE(board.grid.blocks[10].selected);
}

TEST_F(BoardTest, LiftWithoutASweetUndoesEveryPick) {
  SetTypes({0, 1, 7}, {0, 1, 3});
  finger.DragBlocks({0, 1, 7});
  ASSERT_EQ(board.grid.sweetCount, 0);
  ASSERT_EQ(SelectedCount(), 3);
  finger.Lift();
  EXPECT_EQ(SelectedCount(), 0);
  EXPECT_EQ(board.grid.chainLength, 0);
  EXPECT_EQ(board.grid.lastIndex, kNoBlock);
  EXPECT_TRUE(selectionEnabled);
  for (int32_t t = 0; t < 5; ++t) EXPECT_EQ(board.grid.typeCount[t], 0);
  // The same plate plays again from any block.
  SetTypes({20, 21, 22}, {0, 1, 2});
  finger.DragBlocks({20, 21, 22});
  EXPECT_EQ(board.grid.sweetCount, 1);
  EXPECT_EQ(sweetSlots[0].kind, 1);
}

TEST_F(BoardTest, PlateTypeCountsFollowOrdersCleared) {
  struct Case {
    int32_t cleared;
    int32_t counts[5];
  } cases[] = {
      {0, {10, 10, 10, 0, 0}}, {3, {10, 10, 10, 0, 0}}, {4, {8, 8, 8, 0, 6}},
      {6, {8, 8, 8, 0, 6}},    {7, {8, 8, 8, 2, 4}},    {12, {8, 8, 8, 2, 4}},
  };
  for (const Case& c : cases) {
    ordersCleared = c.cleared;
    GridLayout(&board.grid, 75, 125);
    int32_t counts[5] = {};
    int32_t inPlace = 0;
    for (int32_t i = 0; i < kGridCells; ++i) {
      const Block& b = board.grid.blocks[i];
      ++counts[b.type];
      inPlace += b.type == (i >= 24 ? PlateRowFourType(i, c.cleared) : i % 3) ? 1 : 0;
      EXPECT_FLOAT_EQ(b.sprite.pos.x, 75 + (i % 6) * 95.0f);
      EXPECT_FLOAT_EQ(b.sprite.pos.y, 125 + (i / 6) * 95.0f);
    }
    for (int32_t t = 0; t < 5; ++t) EXPECT_EQ(counts[t], c.counts[t]) << "cleared " << c.cleared;
    EXPECT_LT(inPlace, kGridCells) << "the shuffle moved nothing";
  }
}

TEST_F(BoardTest, BonusLayoutPatterns) {
  struct Case {
    int32_t cleared;
    const char* rows;  // 30 types, row by row
  } cases[] = {
      {0, "012012012012012012012012012012"},
      {5, "000000111111222222444444012012"},
      {9, "000000111111222222044440123321"},
  };
  for (const Case& c : cases) {
    ordersCleared = c.cleared;
    BoardBonusLayout(&board);
    for (int32_t i = 0; i < kGridCells; ++i) {
      EXPECT_EQ(board.grid.blocks[i].type, c.rows[i] - '0') << "cleared " << c.cleared << " block " << i;
      EXPECT_EQ(board.grid.chain[i], kGridCells);
    }
  }
}

TEST(BoardSlideTest, SlideInTakes33TicksAndSlideOut40) {
  play::Start();
  ASSERT_EQ(play::StartField(), 0);
  // Slide-in: y -500 in steps of 20, overshoots to 140 on tick 32, snaps on 33.
  int32_t ticks = 0;
  float yAt32 = 0;
  while (!selectionEnabled && ticks < 100) {
    play::RunTick(play::FieldTick);
    ++ticks;
    if (ticks == 32) yAt32 = board.y;
  }
  EXPECT_EQ(ticks, 33);
  EXPECT_FLOAT_EQ(yAt32, 140.0f);
  EXPECT_FLOAT_EQ(board.y, 125.0f);
  EXPECT_FALSE(boardChanging);
  EXPECT_FLOAT_EQ(board.plate.pos.y, 310.0f);

  // Slide-out: from the tick after the plate is complete to the reset.
  plateComplete = true;
  play::RunTick(play::FieldTick);
  EXPECT_TRUE(board.slidingOut);
  EXPECT_TRUE(boardChanging);
  EXPECT_EQ(comboCount, 0);
  const int32_t resetsBefore = plateResetCount;
  ticks = 0;
  while (!board.newPlateReady && ticks < 100) {
    play::RunTick(play::FieldTick);
    ++ticks;
  }
  EXPECT_EQ(ticks, 40);
  EXPECT_EQ(plateResetCount, resetsBefore + 1);
  EXPECT_FLOAT_EQ(board.x, 75.0f);
  EXPECT_FLOAT_EQ(board.y, -500.0f);
  EXPECT_FALSE(plateComplete);
  play::EndField();
}

TEST(BoardSlideTest, RoundFinishingFreezesTheBoard) {
  play::Start();
  ASSERT_EQ(play::StartField(), 0);
  roundFinishing = true;
  for (int32_t i = 0; i < 10; ++i) play::RunTick(play::FieldTick);
  EXPECT_FLOAT_EQ(board.y, -500.0f);
  roundFinishing = false;
  play::EndField();
}

}  // namespace
