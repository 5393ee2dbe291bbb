// The score counter: how fast it closes on the score, the glyph cells it
// shows, the repairs of out-of-range scores, and where its digits stand.
#include "game/hud/number_display.h"

#include <gtest/gtest.h>

#include <string>

#include "game/scene/round_state.h"
#include "engine/app/app.h"
#include "support/engine/gl_test_context.h"

namespace {

// Reads the eight glyph cells back as the digits they show, left to right.
std::string ShownDigits(const NumberDisplay& d) {
  std::string text;
  for (int k = 7; k >= 0; --k) {
    const float column = d.digits[k].uv[0] / 0.03125f;
    const int digit = static_cast<int>(column + 0.5f) - 16;
    EXPECT_FLOAT_EQ(d.digits[k].uv[1], 0.25f);
    EXPECT_FLOAT_EQ(d.digits[k].uv[2], 0.03125f);
    EXPECT_FLOAT_EQ(d.digits[k].uv[3], 0.25f);
    text += (digit >= 0 && digit <= 9) ? static_cast<char>('0' + digit) : '?';
  }
  return text;
}

NumberDisplay FreshDisplay() {
  NumberDisplay d{};
  d.maximum = 99999999;
  return d;
}

// Runs updates until the next one whose tick count is a multiple of 4 has run.
void UpdateThroughNextStep(NumberDisplay* d) {
  do {
    NumberDisplayUpdate(d);
  } while (d->tickCounter % 4 != 0);
}

}  // namespace

TEST(NumberDisplayTest, StepClosesOnTheTarget) {
  struct Case {
    int32_t shown, target, expected;
  } cases[] = {
      {0, 19, 19},        // within 19: snaps
      {0, -19, -19},
      {100, 81, 81},
      {0, 20, 2},         // a tenth of the gap, cut toward zero
      {0, 1000, 100},
      {0, 29, 2},
      {1000, 0, 900},
      {50, 20, 47},       // -30 -> -3
      {0, 99999999, 9999999},
      {7, 7, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumberDisplayStep(c.shown, c.target), c.expected)
        << c.shown << " -> " << c.target;
  }
}

TEST(NumberDisplayTest, MovesOnlyOnEveryFourthTick) {
  NumberDisplay d = FreshDisplay();
  d.tickCounter = 4;  // the counter carries on from earlier rounds
  score = 19;
  for (int i = 0; i < 3; ++i) {
    NumberDisplayUpdate(&d);
    EXPECT_EQ(d.shown, 0) << "tick " << d.tickCounter;
  }
  NumberDisplayUpdate(&d);
  EXPECT_EQ(d.tickCounter, 8);
  EXPECT_EQ(d.shown, 19);

  score = 19 + 20;
  UpdateThroughNextStep(&d);
  EXPECT_EQ(d.shown, 21);
  score = 21 + 1000;
  UpdateThroughNextStep(&d);
  EXPECT_EQ(d.shown, 121);
}

TEST(NumberDisplayTest, ShowsEightDigitsAndRepairsTheScore) {
  struct Case {
    int32_t score;
    const char* digits;
    int32_t scoreAfter;
  } cases[] = {
      {123, "00000123", 123},
      {0, "00000000", 0},
      {10, "00000010", 10},
      {99999999, "99999999", 99999999},
      {120000000, "99999999", 99999999},  // out of range: repaired at its source too
      {-8325, "00000000", 0},              // a negative score is repaired at its source
  };
  for (const Case& c : cases) {
    NumberDisplay d = FreshDisplay();
    score = c.score;
    NumberDisplaySnap(&d);
    UpdateThroughNextStep(&d);
    EXPECT_EQ(ShownDigits(d), c.digits) << c.score;
    EXPECT_EQ(score, c.scoreAfter) << c.score;
  }
}

TEST(NumberDisplayTest, SnapJumpsAndTheGlyphsFollowAtTheNextStep) {
  NumberDisplay d = FreshDisplay();
  d.tickCounter = 0;
  score = 5000;
  NumberDisplayUpdate(&d);  // tick 1: no step yet
  NumberDisplaySnap(&d);
  EXPECT_EQ(d.shown, 5000);
  EXPECT_EQ(d.target, 5000);
  EXPECT_FLOAT_EQ(d.digits[3].uv[2], 0.0f);  // no glyph chosen yet
  NumberDisplayUpdate(&d);
  NumberDisplayUpdate(&d);
  NumberDisplayUpdate(&d);  // tick 4
  EXPECT_EQ(ShownDigits(d), "00005000");

  // A score beyond eight digits snaps to the largest value shown, not to its
  // lower eight digits.
  score = 120000000;
  NumberDisplaySnap(&d);
  EXPECT_EQ(d.shown, 99999999);
  score = -1;
  NumberDisplaySnap(&d);
  EXPECT_EQ(d.shown, 0);
}

TEST(NumberDisplayGlTest, InitPlacesTheDigits) {
  EnsureGlWindow();
  struct Case {
    float right, top;
    bool shift;
    float firstX, lastX, y;
  } cases[] = {
      {1024, 0, false, 992, 544, 32},   // the round's corner counter
      {402, 190, true, 626, 178, 222},  // the clear scene's count-up
  };
  for (const Case& c : cases) {
    NumberDisplay d{};
    ASSERT_EQ(NumberDisplayInit(&d, c.right, c.top, 64, c.shift), 0);
    EXPECT_FLOAT_EQ(d.digits[0].pos.x, c.firstX);
    EXPECT_FLOAT_EQ(d.digits[7].pos.x, c.lastX);
    for (int k = 0; k < 8; ++k) {
      EXPECT_FLOAT_EQ(d.digits[k].pos.y, c.y);
      EXPECT_FLOAT_EQ(d.digits[k].size.x, 64);
      EXPECT_FLOAT_EQ(d.digits[k].uv[2], 0);
      if (k > 0) {
        EXPECT_FLOAT_EQ(d.digits[k - 1].pos.x - d.digits[k].pos.x, 64);
      }
    }
    EXPECT_EQ(d.maximum, 99999999);
    NumberDisplayRelease(&d);
    EXPECT_EQ(d.fontTexture, 0u);
  }
}
