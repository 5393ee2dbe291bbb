// The round HUD: gauge stages and their boundaries, the pulse, the frame's
// colour under fever, one plate icon per 6-combo, and the end of the round
// that asks for the clear scene only after the last animation and the fade.
#include "game/hud/hud.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/app/app.h"
#include "game/field/customer.h"
#include "game/hud/plate_icon.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "support/game/play_harness.h"

namespace {

// One tick as the game scene runs the HUD, with the fade after it.
void HudTick() {
  play::RunTick([] {
    HudUpdate(&gameHud);
    if (FadeIsActive()) FadeUpdate();
  });
}

void LevelTick(float level) {
  gaugeLevel = level;
  HudTick();
}

bool SameColor(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

const Color kRed = {1, 0, 0, 1};
const Color kWhite = {1, 1, 1, 1};
const Color kBlue = {0, 0, 1, 1};

class HudGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    score = comboCount = 0;
    boardChanging = selectionEnabled = false;
    sceneRequestPending = 0;
    sceneRequestId = 0;
    ASSERT_EQ(HudInit(&gameHud), 0);
  }
  void TearDown() override { HudRelease(&gameHud); }
};

}  // namespace

TEST(HudTest, StageBoundariesKeepTheStage) {
  struct Case {
    float level;
    int32_t before, after;
  } cases[] = {
      {0.01f, 2, 0}, {162.9f, 1, 0}, {163.0f, 0, 0}, {163.0f, 1, 1}, {163.0f, 2, 2},
      {163.1f, 0, 1}, {325.9f, 2, 1}, {326.0f, 1, 1}, {326.0f, 2, 2}, {326.0f, 0, 0},
      {326.1f, 0, 2}, {490.0f, 1, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HudStageFor(c.level, c.before), c.after) << c.level << " from " << c.before;
  }
}

TEST(HudTest, RestingOffsetsFollowTheColumnAndFace) {
  struct Case {
    int32_t column, expression;
    Vec2 offset;
  } cases[] = {
      {0, 1, {-10, 40}}, {1, 1, {-10, 30}}, {2, 1, {-10, 40}}, {3, 1, {-10, 50}},
      {0, 0, {-20, 50}}, {1, 2, {-20, 50}}, {2, 3, {-20, 40}}, {3, 0, {-20, 30}},
  };
  for (const Case& c : cases) {
    const Vec2 got = HudRestingOffset(c.column, c.expression);
    EXPECT_FLOAT_EQ(got.x, c.offset.x) << c.column << "/" << c.expression;
    EXPECT_FLOAT_EQ(got.y, c.offset.y) << c.column << "/" << c.expression;
  }
}

TEST_F(HudGlTest, FrameColourFollowsTheStageUnlessFeverOrPlateChange) {
  struct Step {
    float level;
    bool fever, changing;
    int32_t stage;
    Color frame;
  } steps[] = {
      {100, false, false, 0, kRed},    {163, false, false, 0, kRed},
      {200, false, false, 1, kWhite},  {163, false, false, 1, kWhite},
      {326, false, false, 1, kWhite},  {327, false, false, 2, kBlue},
      {326, false, false, 2, kBlue},   {100, true, false, 0, kBlue},
      {100, false, true, 0, kBlue},    {100, false, false, 0, kRed},
      {-5, false, false, 0, kRed},
  };
  for (const Step& s : steps) {
    feverActive = s.fever;
    boardChanging = s.changing;
    LevelTick(s.level);
    EXPECT_EQ(gaugeStage, s.stage) << s.level;
    EXPECT_TRUE(SameColor(gameHud.frame.color, s.frame)) << s.level;
  }
  EXPECT_FLOAT_EQ(gaugeLevel, 0.01f);  // a level below 0 is repaired
  boardChanging = false;
  LevelTick(600);
  EXPECT_FLOAT_EQ(gaugeLevel, 490.0f);  // and one above the maximum cut
}

TEST_F(HudGlTest, PulseOnlyAboveThreeQuarters) {
  for (int tick = 0; tick < 30; ++tick) LevelTick(367.5f);
  EXPECT_FLOAT_EQ(gameHud.pulse.size.x, 148.0f);
  EXPECT_FLOAT_EQ(gameHud.pulse.color.a, 1.0f);

  int restartTick = -1;
  float widest = 0;
  for (int tick = 1; tick <= 60 && restartTick < 0; ++tick) {
    LevelTick(367.6f);
    widest = std::max(widest, gameHud.pulse.size.x);
    if (tick > 1 && gameHud.pulse.size.x == 148.0f) restartTick = tick;
  }
  EXPECT_EQ(restartTick, 46);
  EXPECT_GT(widest, 148.0f + 170.0f);
  EXPECT_LT(widest, 148.0f + 190.0f);
  EXPECT_FLOAT_EQ(gameHud.pulse.size.y, 510.0f);
}

TEST_F(HudGlTest, OneIconPerSixComboAndAnotherAfterATap) {
  int launches = 0;
  auto countedTick = [&launches] {
    const bool wasActive = plateIcon.active;
    HudTick();
    if (!wasActive && plateIcon.active) ++launches;
  };
  comboCount = 6;
  for (int tick = 0; tick < 400 && !plateIcon.arrived; ++tick) countedTick();
  ASSERT_TRUE(plateIcon.arrived);
  for (int tick = 0; tick < 50; ++tick) countedTick();
  EXPECT_EQ(launches, 1);
  EXPECT_TRUE(gameHud.plateIconLaunched);

  // Resting: the icon sits on the customer at the offset of its column.
  const Vec2 offset = HudRestingOffset(static_cast<int32_t>(customer.character.column),
                                       customer.expression);
  EXPECT_FLOAT_EQ(plateIcon.icon.pos.x, customer.character.sprite.pos.x + offset.x);

  // A held finger on the icon takes it; with the combo still at 6 the next
  // icon flies a tick later.
  gaugeLevel = 250.0f;
  InputMouseMove(plateIcon.icon.pos.x, plateIcon.icon.pos.y);
  InputMouseButton(1);
  countedTick();
  InputMouseButton(0);
  EXPECT_FALSE(plateIcon.active);
  countedTick();
  EXPECT_FALSE(gameHud.plateIconLaunched);
  countedTick();
  EXPECT_EQ(launches, 2);
  EXPECT_LE(gaugeLevel, 150.5f);
  comboCount = 0;
}

TEST_F(HudGlTest, RoundEndsAfterTheLastAnimationAndTheFade) {
  gaugeLevel = 480.0f;
  HudTick();
  EXPECT_FALSE(customer.customerFull);
  gaugeLevel = 490.0f;
  HudTick();
  EXPECT_TRUE(customer.customerFull);
  EXPECT_FALSE(roundFinishing);  // seen on the next tick
  HudTick();
  ASSERT_TRUE(roundFinishing);

  int columnThreeTick = -1;
  int requestTick = -1;
  for (int tick = 1; tick <= 300 && requestTick < 0; ++tick) {
    const bool before = finishFadeStarted;
    HudTick();
    if (!before && finishFadeStarted) {
      columnThreeTick = tick;
      EXPECT_FLOAT_EQ(customer.character.column, 2.0f);  // held on the column-2 picture
    }
    if (sceneRequestPending != 0) requestTick = tick;
    if (columnThreeTick < 0) {
      EXPECT_EQ(sceneRequestPending, 0) << tick;
    }
  }
  ASSERT_GT(columnThreeTick, 0);
  EXPECT_EQ(sceneRequestId, kSceneClear);
  EXPECT_EQ(requestTick - columnThreeTick, 50);
  EXPECT_GE(FadeGetAlpha(), 0.98f);
}
