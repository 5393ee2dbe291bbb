// Sprite-sheet stepping: which cell shows after how many ticks, in loop and
// play-once modes, with owners writing the column, and degenerate settings.
#include "game/scene/anim_sprite.h"

#include <gtest/gtest.h>

namespace {

AnimSprite MakeSheet(float columns, float rows, float du, float dv, int32_t ticksPerCell,
                     int32_t mode) {
  AnimSprite anim;
  AnimConstruct(&anim);
  AnimInit(&anim, 100, 200, 64, 64, columns, rows, 0.9f, 0.9f, du, dv, 1, 1, 1, 1, ticksPerCell,
           mode);
  return anim;
}

void Step(AnimSprite* anim, int ticks) {
  for (int i = 0; i < ticks; ++i) AnimUpdate(anim);
}

TEST(AnimSprite, LoopShowsEachColumnForTenTicksAndKeepsTheRow) {
  AnimSprite anim = MakeSheet(4, 4, 0.25f, 0.25f, 10, kAnimLoop);
  anim.row = 2;
  struct Case {
    int afterTicks;
    float u;
    float v;
  };
  // Until the first step the rectangle given at initialisation stays.
  const Case cases[] = {{9, 0.9f, 0.9f},  {10, 0.0f, 0.5f}, {19, 0.0f, 0.5f}, {20, 0.25f, 0.5f},
                        {30, 0.5f, 0.5f}, {40, 0.75f, 0.5f}, {50, 0.0f, 0.5f}, {60, 0.25f, 0.5f}};
  int done = 0;
  for (const Case& c : cases) {
    Step(&anim, c.afterTicks - done);
    done = c.afterTicks;
    EXPECT_FLOAT_EQ(anim.sprite.uv[0], c.u) << "after " << c.afterTicks;
    EXPECT_FLOAT_EQ(anim.sprite.uv[1], c.v) << "after " << c.afterTicks;
  }
  EXPECT_EQ(anim.row, 2.0f);
}

TEST(AnimSprite, ColumnWrittenByOwnerIsShownNextAndContinuesFromThere) {
  AnimSprite anim = MakeSheet(4, 4, 0.25f, 0.25f, 10, kAnimLoop);
  Step(&anim, 10);  // shows column 0
  anim.column = 2;
  const float expected[] = {0.5f, 0.75f, 0.0f, 0.25f};
  for (float u : expected) {
    Step(&anim, 10);
    EXPECT_FLOAT_EQ(anim.sprite.uv[0], u);
  }
}

TEST(AnimSprite, TicksPerCellBelowOneStepsEveryTick) {
  for (int32_t ticksPerCell : {0, -3}) {
    AnimSprite anim = MakeSheet(4, 1, 0.25f, 1.0f, ticksPerCell, kAnimLoop);
    const float expected[] = {0.0f, 0.25f, 0.5f, 0.75f, 0.0f};
    for (float u : expected) {
      AnimUpdate(&anim);
      EXPECT_FLOAT_EQ(anim.sprite.uv[0], u) << "ticks per cell " << ticksPerCell;
    }
    EXPECT_EQ(anim.ticksPerCell, 1);
  }
}

TEST(AnimSprite, OffModeCountsTicksButNeverSteps) {
  AnimSprite anim = MakeSheet(4, 4, 0.25f, 0.25f, 1, kAnimOff);
  Step(&anim, 25);
  EXPECT_EQ(anim.tickCounter, 25);
  EXPECT_FLOAT_EQ(anim.sprite.uv[0], 0.9f);
  EXPECT_FLOAT_EQ(anim.sprite.uv[1], 0.9f);
  EXPECT_EQ(anim.column, 0.0f);
}

TEST(AnimSprite, PlayOnceWalksRowsThenHoldsTheLastCellAndTakesTheModeAfter) {
  AnimSprite anim = MakeSheet(2, 2, 0.5f, 0.5f, 1, kAnimOnce);
  anim.modeAfter = kAnimOff;
  const float cells[][2] = {{0, 0}, {0.5f, 0}, {0, 0.5f}, {0.5f, 0.5f}};
  for (const auto& cell : cells) {
    AnimUpdate(&anim);
    EXPECT_FLOAT_EQ(anim.sprite.uv[0], cell[0]);
    EXPECT_FLOAT_EQ(anim.sprite.uv[1], cell[1]);
    EXPECT_EQ(anim.mode, kAnimOnce);
  }
  AnimUpdate(&anim);
  EXPECT_EQ(anim.mode, kAnimOff);
  EXPECT_EQ(anim.steps, 1);
  EXPECT_FLOAT_EQ(anim.sprite.uv[0], 0.5f);
  EXPECT_FLOAT_EQ(anim.sprite.uv[1], 0.5f);
}

TEST(AnimSprite, SheetWithoutColumnsStaysOnCellZeroInsteadOfDividingByZero) {
  AnimSprite anim = MakeSheet(0, 0, 0.25f, 0.25f, 1, kAnimLoop);
  Step(&anim, 3);
  EXPECT_EQ(anim.column, 0.0f);
  EXPECT_FLOAT_EQ(anim.sprite.uv[0], 0.0f);
}

TEST(AnimSprite, InitKeepsTheAngleAndResetsTheCounters) {
  AnimSprite anim = MakeSheet(4, 4, 0.25f, 0.25f, 10, kAnimLoop);
  anim.sprite.angle = 33.0f;
  Step(&anim, 25);
  AnimInit(&anim, 1, 2, 3, 4, 4, 4, 0, 0, 0.25f, 0.25f, 1, 1, 1, 1, 10, kAnimLoop);
  EXPECT_EQ(anim.sprite.angle, 33.0f);
  EXPECT_EQ(anim.tickCounter, 0);
  EXPECT_EQ(anim.column, 0.0f);
  // A counter kept from before would step at the 5th update (tick 30).
  Step(&anim, 5);
  EXPECT_EQ(anim.column, 0.0f);
  Step(&anim, 5);
  EXPECT_EQ(anim.column, 1.0f);
}

}  // namespace
