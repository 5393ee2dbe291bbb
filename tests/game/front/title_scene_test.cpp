// The title scene: the full drop-in and the skip end in their two resting
// layouts, the title bobs in a cycle of 179 ticks, and a touch starts the
// game only after the 32-tick wait and through the fade to black (for a new
// player, through the "how to play" cards first).
#include "game/front/title_scene.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/front/how_to_play.h"
#include "game/scene/best_score.h"
#include "game/scene/player_settings.h"
#include "scene_ticks.h"

namespace {

void StartTitle() {
  StartSceneTest();
  for (const char* name : {"gameBack.png", "PMBack.png", "pemophiSp.png", "shadow.png",
                           "title.png", "White.png", "howToPlay.png"}) {
    ASSERT_TRUE(HavePicture(name)) << name << ": the generated contents are needed";
  }
  ASSERT_EQ(TitleSceneInit(), 0);
  // A player who has seen the cards: a touch starts the round.
  playerSettings.cardsSeen = true;
}

void Tick() { RunSceneTick(TitleSceneUpdate); }

// A held touch until the title would leave, then taps (lift, press).
void HoldThenTap(int taps) {
  touchSlots[0].down = 1;
  for (int i = 0; i < 34; ++i) Tick();
  for (int i = 0; i < taps; ++i) {
    touchSlots[0].down = 0;
    Tick();
    touchSlots[0].down = 1;
    Tick();
  }
}


TEST(TitleScene, FullDropInEndsWithTheCharacterAt415OnItsGrownShadow) {
  StartTitle();
  int landedTick = -1, introTick = -1;
  for (int tick = 1; tick <= 400 && introTick < 0; ++tick) {
    Tick();
    if (landedTick < 0 && !titleScene.characterFalling) landedTick = tick;
    if (titleScene.introDone) introTick = tick;
  }
  // 32 ticks of waiting, then 50 falling steps 0, 1, 1, 2, 2, ... reach 425.
  EXPECT_EQ(landedTick, 83);
  ASSERT_GT(introTick, 0);
  EXPECT_EQ(titleScene.character.sprite.pos.y, 415.0f);
  EXPECT_NEAR(titleScene.shadow.pos.y, 437.5f, 1e-3f);
  EXPECT_NEAR(titleScene.shadowScale.x, 0.575f, 1e-4f);
  EXPECT_EQ(titleScene.pieces[0].pos.y, 100.0f);
  EXPECT_EQ(titleScene.pieces[1].pos.y, 200.0f);
  EXPECT_EQ(titleScene.pieces[2].pos.y, 125.0f);
  EXPECT_EQ(titleScene.pieces[3].pos.y, 300.0f);
  EXPECT_GT(titleScene.overlay.color.a, 1.0f);
  EXPECT_FALSE(titleScene.skipped);
  for (int i = 0; i < 300; ++i) Tick();
  EXPECT_EQ(titleScene.character.sprite.pos.y, 415.0f);
  EXPECT_FALSE(titleScene.leaving);
  TitleSceneRelease();
}

TEST(TitleScene, HeldFingerSkipsToTheEndAndLeavesThirtyThreeTicksLater) {
  StartTitle();
  touchSlots[0].down = 1;
  Tick();
  EXPECT_TRUE(titleScene.skipped);
  EXPECT_TRUE(titleScene.introDone);
  EXPECT_EQ(titleScene.character.sprite.pos.y, 420.0f);
  EXPECT_EQ(titleScene.shadow.pos.y, 437.5f);
  EXPECT_FLOAT_EQ(titleScene.shadow.size.x, 294.4f);
  EXPECT_EQ(titleScene.overlay.color.a, 1.0f);

  int leavingTick = -1, requestTick = -1;
  for (int tick = 2; tick <= 200 && requestTick < 0; ++tick) {
    Tick();
    if (leavingTick < 0 && titleScene.leaving) leavingTick = tick;
    if (sceneRequestPending == 1) requestTick = tick;
  }
  EXPECT_EQ(leavingTick, 34);
  // The fade-out waits for the opening fade-in (51 ticks), then takes 50.
  EXPECT_EQ(requestTick, 102);
  EXPECT_EQ(sceneRequestId, kSceneLoad);
  EXPECT_EQ(titleScene.character.sprite.pos.y, 420.0f);
  TitleSceneRelease();
}

// Ticks at which piece 3 rises (its y turns from 125 to 120).
std::vector<int> Piece3Rises(int ticks, std::vector<int>* piece1HighTicks) {
  std::vector<int> rises;
  for (int tick = 1; tick <= ticks; ++tick) {
    const float before = titleScene.pieces[2].pos.y;
    Tick();
    if (before == 125.0f && titleScene.pieces[2].pos.y == 120.0f) rises.push_back(tick);
    if (titleScene.pieces[0].pos.y == 95.0f) piece1HighTicks->push_back(tick);
  }
  return rises;
}

TEST(TitleScene, TitleBobsInACycleOf179Ticks) {
  StartTitle();
  touchSlots[0].down = 1;
  Tick();
  touchSlots[0].down = 0;
  std::vector<int> piece1High;
  const std::vector<int> rises = Piece3Rises(800, &piece1High);
  ASSERT_GE(rises.size(), 3u);
  // Counting from the skip (ticks 0): the counters run from the 129th tick
  // after it, and piece 3 rises when bob counter 2 reaches 43.
  EXPECT_EQ(rises[0], 128 + 43);
  for (size_t i = 1; i < rises.size(); ++i) EXPECT_EQ(rises[i] - rises[i - 1], 179);
  // Piece 1 stands 5 higher for 8 ticks per cycle (bob counter 25 to 32).
  std::vector<int> firstCycle;
  for (int t : piece1High) {
    if (t < rises[0]) firstCycle.push_back(t);
  }
  ASSERT_EQ(firstCycle.size(), 8u);
  EXPECT_EQ(firstCycle.front(), 128 + 25);
  EXPECT_FALSE(titleScene.leaving);
  TitleSceneRelease();
}

TEST(TitleScene, TouchWithinThirtyTwoTicksOfACycleRestartDoesNotStart) {
  StartTitle();
  touchSlots[0].down = 1;
  Tick();
  touchSlots[0].down = 0;
  // Run to the end of the first bob cycle, where the tick count restarts.
  Tick();
  for (int i = 0; i < 400 && titleScene.ticks != 0; ++i) Tick();
  ASSERT_EQ(titleScene.ticks, 0);
  ASSERT_FALSE(titleScene.bob2);
  touchSlots[0].down = 1;
  for (int i = 1; i <= 32; ++i) {
    Tick();
    ASSERT_FALSE(titleScene.leaving) << "tick " << i << " of the wait";
  }
  Tick();
  EXPECT_TRUE(titleScene.leaving);
  TitleSceneRelease();
}

// The cards come before a new player's first round only: three taps turn
// them, the fourth leaves the last one and starts the round, and they count
// as seen; a best score alone is enough to skip them.
TEST(TitleScene, NewPlayersFirstStartGoesThroughTheCards) {
  StartTitle();
  playerSettings.cardsSeen = false;
  HoldThenTap(0);
  EXPECT_TRUE(howToPlay.open);
  EXPECT_FALSE(titleScene.leaving);
  HoldThenTap(kCardCount - 1);
  EXPECT_EQ(howToPlay.card, kCardCount - 1);
  EXPECT_FALSE(titleScene.leaving);
  HoldThenTap(1);
  EXPECT_FALSE(howToPlay.open);
  EXPECT_TRUE(titleScene.leaving);
  EXPECT_TRUE(playerSettings.cardsSeen);
  TitleSceneRelease();

  StartTitle();
  playerSettings.cardsSeen = false;
  bestScore.value = 100;
  HoldThenTap(0);
  EXPECT_FALSE(howToPlay.open);
  EXPECT_TRUE(titleScene.leaving);
  bestScore.value = 0;
  TitleSceneRelease();
}

}  // namespace
