// The customer's eating (points, gauge, quotas, faces) and its jump and fever
// after a perfect plate.
#include "game/field/customer.h"

#include <gtest/gtest.h>

#include "game/field/board.h"
#include "game/field/sweet.h"
#include "game/scene/round_state.h"
#include "support/game/play_harness.h"

namespace {

TEST(CustomerScoring, PointsAndGaugePerSweet) {
  struct Case {
    const char* name;
    int32_t kind;
    int32_t combo;
    bool perfect, fever;
    int32_t points, gauge;
  } cases[] = {
      {"failed at combo 0", kSweetFailed, 0, false, false, -8325, 0},
      {"kind 1 at combo 0", 1, 0, false, false, 8325, 25},
      {"kind 2 at combo 1", 2, 1, false, false, 33300, 20},
      {"kind 3 at combo 2", 3, 2, false, false, 74925, 15},
      {"failed during a perfect plate", kSweetFailed, 1, true, true, -16650, 0},
      {"perfect plate in fever doubles, half fill", 3, 2, true, true, 149850, 7},
      {"perfect plate before the fever adds nothing", 2, 0, true, false, 0, 0},
  };
  for (const Case& c : cases) {
    const SweetValue v = CustomerSweetValue(c.kind);
    const EatGain g = CustomerEatGain(c.kind, v.points, v.fill, c.combo, c.perfect, c.fever);
    EXPECT_EQ(g.points, c.points) << c.name;
    EXPECT_EQ(g.gauge, c.gauge) << c.name;
  }
  // Past any combo a round reaches, points stop at the limit; the round's
  // score stays within 0 and that limit.
  EXPECT_EQ(CustomerEatGain(3, 1e30f, 1.0f, 5, false, false).points, kScoreMaximum);
  EXPECT_EQ(CustomerEatGain(kSweetFailed, -1e30f, 0.0f, 5, false, false).points, -kScoreMaximum);
  EXPECT_EQ(ScoreAdd(kScoreMaximum - 10, 8325), kScoreMaximum);
  EXPECT_EQ(ScoreAdd(INT32_MAX, INT32_MAX), kScoreMaximum);
  EXPECT_EQ(ScoreAdd(100, -8325), 0);
}

class CustomerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    ASSERT_EQ(play::StartField(), 0);
  }
  void TearDown() override { play::EndField(); }
  void Deliver(int32_t slot, int32_t kind) {
    sweetSlots[slot].kind = kind;
    sweetSlots[slot].eatPending = true;
  }
};

TEST_F(CustomerTest, EatingScoresFillsCountsTheOrderAndPullsAFace) {
  customer.balloon.quota[0] = 2;
  customer.balloon.quota[1] = 0;
  customer.balloon.quota[2] = 1;
  customer.balloon.orderActive = true;
  comboCount = 2;
  const float gaugeBefore = gaugeLevel;
  Deliver(4, 3);
  CustomerUpdate(&customer);
  EXPECT_EQ(score, 74925);
  EXPECT_FLOAT_EQ(gaugeLevel, gaugeBefore + 15);
  EXPECT_EQ(customer.balloon.quota[2], 0);
  EXPECT_EQ(customer.expression, kFacePleased);
  EXPECT_FALSE(sweetSlots[4].eatPending);

  comboCount = 0;
  Deliver(5, kSweetFailed);
  Deliver(6, 2);  // a kind the order does not want
  CustomerUpdate(&customer);
  EXPECT_EQ(score, 74925 - 8325 + 16650);
  EXPECT_EQ(customer.balloon.quota[0], 2);
  EXPECT_EQ(customer.balloon.quota[1], 0);
  // The faces of both sweets: the last one eaten wins.
  EXPECT_EQ(customer.expression, kFacePleased);

  // A face runs four 10-tick steps and returns to neutral.
  int32_t ticks = 0;
  while (customer.expression != kFaceNeutral && ticks < 100) {
    CustomerUpdate(&customer);
    ++ticks;
  }
  EXPECT_GE(ticks, 30);
  EXPECT_LE(ticks, 50);
}

TEST_F(CustomerTest, PerfectPlateJumpsAboveTwoHundredThenSinksSlowly) {
  perfectPlate = true;
  int32_t ticks = 0;
  while (!feverActive && ticks < 200) {
    CustomerUpdate(&customer);
    ++ticks;
  }
  ASSERT_TRUE(feverActive);
  EXPECT_GE(ticks, 44);
  EXPECT_LE(ticks, 64);
  EXPECT_LT(customer.character.sprite.pos.y, 200.0f);
  EXPECT_FALSE(perfectPlate);
  EXPECT_TRUE(customer.balloon.balloonsLow);

  const float y0 = customer.character.sprite.pos.y;
  for (int32_t i = 0; i < 100; ++i) CustomerUpdate(&customer);
  EXPECT_NEAR(customer.character.sprite.pos.y - y0, 9.0f, 0.01f);

  // Once full it sinks at 3.6 a tick, and at 450 the fever ends.
  customer.customerFull = true;
  const float y1 = customer.character.sprite.pos.y;
  CustomerUpdate(&customer);
  EXPECT_NEAR(customer.character.sprite.pos.y - y1, 3.6f, 0.001f);
  ticks = 0;
  while (feverActive && ticks < 200) {
    CustomerUpdate(&customer);
    ++ticks;
  }
  EXPECT_FALSE(feverActive);
  EXPECT_FLOAT_EQ(customer.character.sprite.pos.y, 450.0f);
  EXPECT_FLOAT_EQ(customer.shadow.pos.y, 492.0f);
  EXPECT_FALSE(customer.balloon.balloonsLow);
}

TEST_F(CustomerTest, PerfectPlateDuringTheFeverRisesAgainAndScoringGoesOn) {
  perfectPlate = true;
  for (int32_t i = 0; i < 80; ++i) CustomerUpdate(&customer);
  ASSERT_TRUE(feverActive);
  // Sink a while, then another perfect plate comes in.
  for (int32_t i = 0; i < 1000; ++i) CustomerUpdate(&customer);
  const float sunk = customer.character.sprite.pos.y;
  ASSERT_GT(sunk, 260.0f);
  perfectPlate = true;
  for (int32_t i = 0; i < 100 && perfectPlate; ++i) CustomerUpdate(&customer);
  EXPECT_FALSE(perfectPlate);
  EXPECT_LT(customer.character.sprite.pos.y, 200.0f);
  // After the fever, sweets score as usual again.
  customer.customerFull = true;
  for (int32_t i = 0; i < 200 && feverActive; ++i) CustomerUpdate(&customer);
  ASSERT_FALSE(feverActive);
  customer.customerFull = false;
  const int32_t before = score;
  Deliver(0, 1);
  CustomerUpdate(&customer);
  EXPECT_EQ(score - before, 8325);
}

TEST_F(CustomerTest, PerfectPlateOfTheBoardLiftsTheCustomer) {
  play::Finger finger = play::FieldFinger();
  play::SettleField();
  ordersCleared = 0;
  BoardBonusLayout(&board);  // rows of 0 1 2 0 1 2: ten kind-1 sweets
  std::vector<int32_t> snake;
  for (int32_t row = 0; row < 5; ++row) {
    for (int32_t c = 0; c < 6; ++c) snake.push_back(row * 6 + (row % 2 == 0 ? c : 5 - c));
  }
  finger.DragBlocks(snake);
  ASSERT_EQ(board.grid.sweetCount, 10);
  finger.Lift();
  int32_t ticks = 0;
  while (!perfectPlate && ticks < 700) {
    finger.Hold(1);
    ++ticks;
  }
  ASSERT_TRUE(perfectPlate) << "all 30 blocks went into good sweets";
  EXPECT_GT(score, 0);
  while (!feverActive && ticks < 900) {
    finger.Hold(1);
    ++ticks;
  }
  ASSERT_TRUE(feverActive);
  EXPECT_LT(customer.character.sprite.pos.y, 200.0f);
}

}  // namespace
