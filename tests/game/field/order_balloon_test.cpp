// Orders: how large they are as more are cleared, and what completing one does.
#include "game/field/order_balloon.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/field/customer.h"
#include "game/field/sweet.h"
#include "game/scene/round_state.h"
#include "support/game/play_harness.h"

namespace {

class OrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    ASSERT_EQ(play::StartField(), 0);
  }
  void TearDown() override { play::EndField(); }
};

TEST_F(OrderTest, QuotaRangesGrowWithOrdersCleared) {
  struct Case {
    int32_t cleared;
    int32_t lo[3], hi[3];
  } cases[] = {
      {0, {1, 0, 0}, {4, 0, 0}}, {3, {1, 0, 0}, {4, 0, 0}}, {4, {2, 0, 0}, {6, 3, 0}},
      {6, {2, 0, 0}, {6, 3, 0}}, {7, {1, 0, 0}, {4, 5, 3}}, {20, {1, 0, 0}, {4, 5, 3}},
  };
  OrderBalloon& b = customer.balloon;
  for (const Case& c : cases) {
    ordersCleared = c.cleared;
    int32_t lo[3] = {99, 99, 99}, hi[3] = {-99, -99, -99};
    for (int32_t n = 0; n < 3000; ++n) {
      EXPECT_FALSE(NewOrder(&b, true));
      for (int32_t j = 0; j < 3; ++j) {
        lo[j] = std::min(lo[j], b.quota[j]);
        hi[j] = std::max(hi[j], b.quota[j]);
      }
    }
    for (int32_t j = 0; j < 3; ++j) {
      EXPECT_EQ(lo[j], c.lo[j]) << "cleared " << c.cleared << " kind " << j + 1;
      EXPECT_EQ(hi[j], c.hi[j]) << "cleared " << c.cleared << " kind " << j + 1;
    }
  }
  // No request, no new order.
  b.quota[0] = 5;
  b.orderActive = false;
  EXPECT_FALSE(NewOrder(&b, false));
  EXPECT_EQ(b.quota[0], 5);
  EXPECT_FALSE(b.orderActive);
}

TEST_F(OrderTest, ThreeKindOneSweetsCompleteAnOrderOfThree) {
  OrderBalloon& b = customer.balloon;
  b.quota[0] = 3;
  b.quota[1] = 0;
  b.quota[2] = 0;
  b.orderActive = true;
  BalloonUpdate(&b);
  EXPECT_TRUE(b.visible[0]);
  EXPECT_FALSE(b.visible[1]);
  EXPECT_EQ(b.countTexts[0].text[0], static_cast<char>(3 + 16));
  for (int32_t k = 0; k < 3; ++k) {
    sweetSlots[k].kind = 1;
    CustomerEat(&customer, k);
    if (k < 2) BalloonUpdate(&b);
  }
  EXPECT_EQ(ordersCleared, 0);
  // Completed on the next update after the third.
  gaugeLevel = 200.0f;
  BalloonUpdate(&b);
  EXPECT_FLOAT_EQ(gaugeLevel, 125.0f);
  EXPECT_EQ(ordersCleared, 1);
  EXPECT_EQ(b.sparks.count, 16);
  // The burst comes from the kind-1 balloon's icon.
  EXPECT_FLOAT_EQ(b.sparks.head->x + 0.0f, 695.0f + b.sparks.head->vx);
  EXPECT_FALSE(b.orderActive);
  for (int32_t j = 0; j < 3; ++j) EXPECT_EQ(b.quota[j], -1);
  // A failed sweet never counts against an order.
  b.quota[0] = 1;
  sweetSlots[0].kind = kSweetFailed;
  CustomerEat(&customer, 0);
  EXPECT_EQ(b.quota[0], 1);
}

TEST_F(OrderTest, TwoLastSweetsEatenTogetherStillBurstFromTheirBalloon) {
  OrderBalloon& b = customer.balloon;
  b.quota[0] = 0;
  b.quota[1] = 2;
  b.quota[2] = 0;
  BalloonUpdate(&b);
  b.quota[1] = 0;  // both eaten in one tick: no balloon was at 1
  BalloonUpdate(&b);
  ASSERT_EQ(b.sparks.count, 16);
  EXPECT_FLOAT_EQ(b.sparks.head->y, 190.0f + b.sparks.head->vy);
}

TEST_F(OrderTest, BalloonsHangLowWhileTheCustomerFloatsHigh) {
  OrderBalloon& b = customer.balloon;
  b.quota[0] = 1;
  b.balloonsLow = true;
  BalloonUpdate(&b);
  EXPECT_FLOAT_EQ(b.balloons[2].pos.y, 510.0f);
  EXPECT_FLOAT_EQ(b.balloons[0].size.y, -128.0f);
  EXPECT_FLOAT_EQ(b.icons[1].pos.x, 823.0f);
  b.balloonsLow = false;
  BalloonUpdate(&b);
  EXPECT_FLOAT_EQ(b.balloons[1].pos.y, 200.0f);
  EXPECT_FLOAT_EQ(b.balloons[0].size.y, 128.0f);
}

TEST_F(OrderTest, OrdersAreRequestedOnlyWhilePicking) {
  OrderBalloon& b = customer.balloon;
  selectionEnabled = false;
  for (int32_t i = 0; i < 60; ++i) CustomerUpdate(&customer);
  EXPECT_FALSE(b.orderActive);
  selectionEnabled = true;
  boardChanging = true;
  for (int32_t i = 0; i < 60; ++i) CustomerUpdate(&customer);
  EXPECT_FALSE(b.orderActive);
  boardChanging = false;
  for (int32_t i = 0; i < 20; ++i) CustomerUpdate(&customer);
  EXPECT_TRUE(b.orderActive);
  EXPECT_GE(b.quota[0], 1);
}

}  // namespace
