// The pause menu: the start-of-round overlay's length and spinner, the
// panel's fold and unfold, which press opens, resumes or quits and when, and
// the fade back to the title.
#include "game/hud/pause_menu.h"

#include <gtest/gtest.h>

#include "engine/app/app.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "support/engine/gl_test_context.h"

namespace {

// One tick as the game runs it for the menu: menu, fade, touch bookkeeping.
void Tick(int32_t down = 0, float x = 0, float y = 0) {
  touchSlots[0].x = x;
  touchSlots[0].y = y;
  touchSlots[0].down = down;
  PauseMenuUpdate(&pauseMenu);
  if (FadeIsActive()) FadeUpdate();
  FinishTouchTick();
}

// Ticks until the menu neither pauses nor animates; returns how many it took.
int TicksUntilPlaying() {
  int ticks = 0;
  while ((pauseMenu.paused || pauseMenu.animating) && ticks < 500) {
    Tick();
    ++ticks;
  }
  return ticks;
}

class PauseMenuGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlWindow();
    InputFocusGained();
    Tick();  // clears any press left by an earlier test
    loadingBlockCell = MakeVec2(0.5f, 0.25f);
    ASSERT_EQ(PauseMenuInit(&pauseMenu), 0);
    sceneRequestPending = 0;
    sceneRequestId = 0;
  }
  void TearDown() override { PauseMenuRelease(&pauseMenu); }
};

}  // namespace

TEST(PauseMenuTest, PanelFoldsAndUnfoldsIn22Steps) {
  Vec2 size = {1024, 576};
  int steps = 0;
  bool ended = false;
  while (!ended && steps < 100) {
    ended = PauseMenuStepPanel(&size, false);
    ++steps;
  }
  EXPECT_EQ(steps, 22);
  EXPECT_FLOAT_EQ(size.x, -47);
  EXPECT_FLOAT_EQ(size.y, -12);

  steps = 0;
  ended = false;
  while (!ended && steps < 100) {
    ended = PauseMenuStepPanel(&size, true);
    ++steps;
  }
  EXPECT_EQ(steps, 22);
  EXPECT_FLOAT_EQ(size.x, 1024);
  EXPECT_FLOAT_EQ(size.y, 576);
}

TEST_F(PauseMenuGlTest, IntroHolds21TicksSpinsAndFoldsAway) {
  const float startAngle = pauseMenu.spinner.angle;
  EXPECT_FLOAT_EQ(pauseMenu.spinner.uv[0], 0.5f);
  EXPECT_FLOAT_EQ(pauseMenu.spinner.uv[1], 0.25f);
  EXPECT_FLOAT_EQ(pauseMenu.spinner.pos.x, 588);
  EXPECT_FLOAT_EQ(pauseMenu.spinner.pos.y, 491);
  for (int tick = 1; tick <= 20; ++tick) {
    Tick();
    EXPECT_TRUE(pauseMenu.paused) << tick;
    EXPECT_TRUE(pauseMenu.intro) << tick;
    EXPECT_FALSE(pauseMenu.panelFull) << tick;  // no menu buttons during the intro
    EXPECT_FLOAT_EQ(pauseMenu.spinner.angle, startAngle + 13.0f * (tick / 5)) << tick;
  }
  Tick();  // the 21st
  EXPECT_FALSE(pauseMenu.intro);
  EXPECT_FALSE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
  EXPECT_FLOAT_EQ(pauseMenu.panel.depth, 0.0f);
  // Folding away: the 21st tick took the first of its 22 steps.
  EXPECT_EQ(TicksUntilPlaying(), 21);
  EXPECT_FALSE(pauseMenu.panelFull);

  // The next round's overlay turns on from where this one stopped.
  PauseMenuRelease(&pauseMenu);
  ASSERT_EQ(PauseMenuInit(&pauseMenu), 0);
  EXPECT_FLOAT_EQ(pauseMenu.spinner.angle, startAngle + 52.0f);
}

TEST_F(PauseMenuGlTest, PressesTakeEffectOnlyWhereAndWhenTheyShould) {
  // A press held down from before the intro's end does not count.
  int held = 0;
  while ((pauseMenu.paused || pauseMenu.animating) && held < 100) {
    Tick(1, 55, 40);
    ++held;
  }
  EXPECT_EQ(held, 21 + 21);
  Tick(1, 55, 40);
  EXPECT_FALSE(pauseMenu.paused);
  Tick();

  // During play: quit and resume areas do nothing.
  Tick(1, 210, 496);
  Tick();
  Tick(1, 810, 496);
  Tick();
  EXPECT_FALSE(pauseMenu.paused);
  EXPECT_FALSE(pauseMenu.quitting);

  // The pause button's hit area, edges included.
  struct Press {
    float x, y;
    bool opens;
  } presses[] = {{22.9f, 40, false}, {55, 72.1f, false}, {23, 8, true}, {87, 72, true}};
  for (const Press& press : presses) {
    Tick(1, press.x, press.y);
    EXPECT_EQ(pauseMenu.paused, press.opens) << press.x << "," << press.y;
    Tick();
    if (!press.opens) continue;
    // Unfolding takes 22 ticks (this press was the first); then the menu shows.
    EXPECT_TRUE(pauseMenu.animating);
    for (int tick = 3; tick <= 22; ++tick) Tick();
    EXPECT_FALSE(pauseMenu.animating);
    EXPECT_TRUE(pauseMenu.panelFull);
    // Pause again while open does nothing; resume (edge of its area) folds.
    Tick(1, 55, 40);
    Tick();
    EXPECT_TRUE(pauseMenu.paused);
    Tick(1, 858, 544);
    EXPECT_FALSE(pauseMenu.paused);
    EXPECT_TRUE(pauseMenu.animating);
    // A press on the pause button while still folding does nothing.
    Tick();
    Tick(1, 55, 40);
    EXPECT_FALSE(pauseMenu.paused);
    Tick();
    TicksUntilPlaying();
  }
}

TEST_F(PauseMenuGlTest, QuitFadesToBlackThenAsksForTheTitle) {
  TicksUntilPlaying();
  while (FadeIsActive()) Tick();  // the round's fade-in is over
  Tick(1, 55, 40);
  Tick();
  // Quit is taken while the panel is still unfolding: it needs only paused.
  Tick(1, 162, 448);
  EXPECT_TRUE(pauseMenu.quitting);
  int ticks = 0;
  while (sceneRequestPending == 0 && ticks < 200) {
    Tick();
    ++ticks;
  }
  EXPECT_EQ(sceneRequestId, kSceneTitle);
  EXPECT_EQ(ticks, 51);  // the tick that starts the fade, then 50 of it
  EXPECT_GE(FadeGetAlpha(), 0.98f);
}

namespace {

// One tick with the engine's own sampling, which the keys need.
void SampledTick() {
  SampleTouchSlots();
  PauseMenuUpdate(&pauseMenu);
  if (FadeIsActive()) FadeUpdate();
  FinishTouchTick();
}

// A key pressed for one tick, then let go for one.
void TapKey(int32_t key) {
  InputKey(key, true);
  SampledTick();
  InputKey(key, false);
  SampledTick();
}

}  // namespace

TEST_F(PauseMenuGlTest, EscapeActsAsTheButtonTheMenuShowsWhenThatWouldBeTaken) {
  TapKey(kKeyEscape);
  EXPECT_TRUE(pauseMenu.intro);  // the overlay takes no presses
  TicksUntilPlaying();
  TapKey(kKeyEscape);
  EXPECT_TRUE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
  // While the panel unfolds Escape is ignored, as the resume button is.
  TapKey(kKeyEscape);
  EXPECT_TRUE(pauseMenu.paused);
  while (pauseMenu.animating) SampledTick();
  // Open: Escape resumes; while folding it is ignored, as the pause button is.
  TapKey(kKeyEscape);
  EXPECT_FALSE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
  TapKey(kKeyEscape);
  EXPECT_FALSE(pauseMenu.paused);
  // A key held over many ticks is one press.
  while (pauseMenu.animating) SampledTick();
  InputKey(kKeyEscape, true);
  for (int i = 0; i < 40; ++i) SampledTick();
  InputKey(kKeyEscape, false);
  EXPECT_TRUE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.panelFull);
}

TEST_F(PauseMenuGlTest, LeavingTheWindowOpensTheMenuAsSoonAsThePauseButtonWouldBeTaken) {
  // Left and back again before this round began: nothing happens.
  InputFocusLost();
  InputFocusGained();
  PauseMenuRelease(&pauseMenu);
  ASSERT_EQ(PauseMenuInit(&pauseMenu), 0);
  EXPECT_EQ(TicksUntilPlaying(), 21 + 21);

  // During play: the menu opens at once, and stays open when the player is back.
  InputFocusLost();
  SampledTick();
  EXPECT_TRUE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
  for (int i = 0; i < 60; ++i) SampledTick();
  EXPECT_TRUE(pauseMenu.panelFull);

  // While the panel folds after a resume: it opens again once folded.
  TapKey(kKeyEscape);
  ASSERT_FALSE(pauseMenu.paused);
  InputFocusLost();
  SampledTick();
  EXPECT_FALSE(pauseMenu.paused);
  while (pauseMenu.animating) SampledTick();
  EXPECT_FALSE(pauseMenu.paused);
  SampledTick();
  EXPECT_TRUE(pauseMenu.paused);

  // During the start-of-round overlay: once it has folded away.
  PauseMenuRelease(&pauseMenu);
  ASSERT_EQ(PauseMenuInit(&pauseMenu), 0);
  SampledTick();
  InputFocusLost();
  while (pauseMenu.intro || pauseMenu.animating) SampledTick();
  EXPECT_FALSE(pauseMenu.paused);
  SampledTick();
  EXPECT_TRUE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
}
