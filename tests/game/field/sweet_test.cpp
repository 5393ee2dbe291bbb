// Serving and combos as the player sees them after the lift: the timing of
// each sweet, the combo count and its texts, and the flight to the customer.
#include "game/field/sweet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/field/board.h"
#include "game/field/customer.h"
#include "game/scene/round_state.h"
#include "support/game/play_harness.h"

namespace {

class SweetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    ASSERT_EQ(play::StartField(), 0);
    play::SettleField();
  }
  void TearDown() override { play::EndField(); }

  // Drags through the blocks with the given types, then lifts.
  void Play(const std::vector<int32_t>& path, const std::vector<int32_t>& types) {
    for (size_t i = 0; i < path.size(); ++i) BlockSetType(&board.grid.blocks[path[i]], types[i]);
    finger.DragBlocks(path);
  }
  play::Finger finger = play::FieldFinger();
};

// Good, good, failed, good along row 0 and back along row 1.
const std::vector<int32_t> kPath = {0, 1, 2, 3, 4, 5, 11, 10, 9, 8, 7};
const std::vector<int32_t> kTypes = {0, 1, 2, 0, 1, 2, 0, 0, 0, 1, 2};

TEST_F(SweetTest, ServedOnTicks1_34_67_100WithCombos1_2_0_1) {
  Play(kPath, kTypes);
  ASSERT_EQ(board.grid.sweetCount, 4);
  ASSERT_EQ(sweetSlots[2].kind, kSweetFailed);
  // Keeping the finger down after a lift changes nothing, so lift once only.
  std::vector<int32_t> servedAt(4, 0);
  std::vector<int32_t> comboAt(4, -1);
  finger.Lift();
  for (int32_t tick = 1; tick <= 110; ++tick) {
    if (tick > 1) finger.Hold(1);
    for (int32_t k = 0; k < 4; ++k) {
      if (servedAt[k] == 0 && sweetSlots[k].sounded) {
        servedAt[k] = tick;
        comboAt[k] = comboCount;
      }
    }
  }
  EXPECT_EQ(servedAt, (std::vector<int32_t>{1, 34, 67, 100}));
  EXPECT_EQ(comboAt, (std::vector<int32_t>{1, 2, 0, 1}));
}

TEST_F(SweetTest, ComboTextsOnlyFromTheSecondGoodSweet) {
  Play(kPath, kTypes);
  finger.Lift();
  finger.Hold(40);  // slot 1 served on tick 34
  EXPECT_EQ(sweetSlots[0].numberText.count, 0);
  EXPECT_EQ(sweetSlots[0].comboText.count, 0);
  ASSERT_EQ(sweetSlots[1].numberText.count, 1);
  // The digit cell: code 2 + 16 lies in the font's digit row, column 18.
  EXPECT_EQ(sweetSlots[1].numberText.text[0], static_cast<char>(18));
  EXPECT_STREQ(sweetSlots[1].comboText.text, "COMBO!");
  // In the sweet's own colour (slot 1: orange), above its block.
  EXPECT_FLOAT_EQ(sweetSlots[1].comboText.glyphs[0].color.g, 0.5f);
  EXPECT_FLOAT_EQ(sweetSlots[1].comboText.glyphs[0].pos.y, sweetSlots[1].home.y - 20);
  finger.Hold(70);  // the failed one (tick 67) and slot 3 (tick 100)
  EXPECT_EQ(sweetSlots[2].numberText.count, 0);
  EXPECT_EQ(sweetSlots[3].numberText.count, 0);
  EXPECT_EQ(comboCount, 1);
}

TEST_F(SweetTest, ThreeGoodSweetsShowTwoThenThree) {
  Play({0, 1, 2, 3, 4, 5, 11, 10, 9}, {0, 1, 2, 0, 1, 2, 0, 1, 2});
  finger.Lift();
  finger.Hold(70);
  EXPECT_EQ(sweetSlots[1].numberText.text[0], static_cast<char>(18));
  EXPECT_EQ(sweetSlots[2].numberText.text[0], static_cast<char>(19));
  EXPECT_EQ(comboCount, 3);
}

TEST_F(SweetTest, FlightSwellsToItsOwnHalfWayAndArrivesAtTheMouth) {
  struct Case {
    int32_t column;
  } cases[] = {{0}, {3}};
  std::vector<int32_t> flightTicks;
  for (const Case& c : cases) {
    // A fresh round for each start column.
    play::EndField();
    ASSERT_EQ(play::StartField(), 0);
    play::SettleField();
    const int32_t b = c.column;
    Play({b, b + 6, b + 12}, {0, 1, 2});
    finger.Lift();
    const Sweet& s = sweetSlots[0];
    ASSERT_TRUE(s.flying);
    const float halfWayX = customer.character.sprite.pos.x - s.halfWayBase * 0.5f;
    float widest = s.sprite.size.x, widestX = s.sprite.pos.x;
    int32_t ticks = 1;
    while (s.flying && ticks < 200) {
      finger.Hold(1);
      ++ticks;
      if (s.sprite.size.x > widest) {
        widest = s.sprite.size.x;
        widestX = s.sprite.pos.x;
      }
    }
    ASSERT_TRUE(s.delivered) << "column " << c.column;
    // The sweet grows up to its own half-way point and shrinks after it.
    EXPECT_GT(widest, 224.0f);
    EXPECT_LT(widestX, halfWayX);
    EXPECT_GT(widestX, halfWayX - 15.0f);
    flightTicks.push_back(ticks);
    EXPECT_GE(ticks, 40);
    EXPECT_LE(ticks, 85);
    // The customer eats it on its next update.
    EXPECT_TRUE(s.eatPending);
    finger.Hold(1);
    EXPECT_FALSE(s.eatPending);
  }
  EXPECT_GT(flightTicks[0], flightTicks[1]) << "a sweet from the left flies longer";
}

TEST_F(SweetTest, GoodSweetBurstsSixteenSparksFailedNone) {
  Play({0, 1, 2, 3, 4}, {0, 1, 2, 0, 0});
  finger.Lift();
  EXPECT_EQ(sweetSlots[0].sparks.count, 16);
  finger.Hold(33);
  ASSERT_TRUE(sweetSlots[1].sounded);
  EXPECT_EQ(sweetSlots[1].kind, kSweetFailed);
  EXPECT_EQ(sweetSlots[1].sparks.count, 0);
}

TEST_F(SweetTest, TinySweetStaysTenthOfAUnitUntilArrival) {
  Sweet& s = sweetSlots[0];
  SweetSpawn(&s, 100, 300, -1, true, 1, 1, 0, 0);
  s.sprite.size = MakeVec2(1.0f, 1.0f);
  s.flying = true;
  s.sprite.pos.x = customer.character.sprite.pos.x - 300;  // past half-way: shrinking
  SweetUpdate(&s);
  EXPECT_FLOAT_EQ(s.sprite.size.x, 0.1f);
  EXPECT_FLOAT_EQ(s.sprite.size.y, 0.1f);
}

}  // namespace
