// The loading scene: the game is requested on tick 121 and on every tick
// after it, the spinner turns 13 degrees every 5th tick and carries its angle
// into the next visit, and the block it shows is kept for the round.
#include "game/front/load_scene.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "game/scene/round_state.h"
#include "scene_ticks.h"

namespace {

void StartLoad() {
  StartSceneTest();
  for (const char* name : {"poseback.png", "loading.png", "block.png", "White.png"}) {
    ASSERT_TRUE(HavePicture(name)) << name << ": the generated contents are needed";
  }
  ASSERT_EQ(LoadSceneInit(), 0);
}

TEST(LoadScene, GameIsRequestedOnTick121WhateverTheFadeDoes) {
  StartLoad();
  for (int tick = 1; tick <= 120; ++tick) {
    RunSceneTick(LoadSceneUpdate);
    ASSERT_EQ(sceneRequestPending, 0) << "tick " << tick;
  }
  RunSceneTick(LoadSceneUpdate);
  EXPECT_EQ(sceneRequestPending, 1);
  EXPECT_EQ(sceneRequestId, kSceneGame);
  // Taken or not, the request is made again in every later tick.
  sceneRequestPending = 0;
  RunSceneTick(LoadSceneUpdate);
  EXPECT_EQ(sceneRequestPending, 1);
  LoadSceneRelease();
}

TEST(LoadScene, SpinnerAngleCarriesOverAndTheShownBlockIsKept) {
  std::set<std::pair<float, float>> seen;
  const std::set<std::pair<float, float>> allowed = {
      {0.0f, 0.0f}, {0.5f, 0.25f}, {0.5f, 0.5f}, {0.5f, 0.0f}, {0.0f, 0.25f}};
  float angle = -1.0f;
  for (int visit = 0; visit < 12; ++visit) {
    StartLoad();
    const Sprite& spinner = loadScene.spinner;
    if (visit > 0) {
      EXPECT_EQ(spinner.angle, angle) << "visit " << visit;
    }
    const float start = spinner.angle;
    for (int tick = 1; tick <= 121; ++tick) RunSceneTick(LoadSceneUpdate);
    // 24 turns of 13 degrees in 121 ticks.
    EXPECT_EQ(spinner.angle, start + 24 * 13.0f);
    angle = spinner.angle;

    EXPECT_EQ(spinner.uv[0], loadingBlockCell.x);
    EXPECT_EQ(spinner.uv[1], loadingBlockCell.y);
    EXPECT_EQ(spinner.uv[2], 0.25f);
    EXPECT_EQ(spinner.pos.x, 588.0f);
    EXPECT_EQ(spinner.pos.y, 491.0f);
    seen.insert({loadingBlockCell.x, loadingBlockCell.y});
    LoadSceneRelease();
  }
  for (const auto& cell : seen) EXPECT_TRUE(allowed.count(cell)) << cell.first << "," << cell.second;
  EXPECT_GT(seen.size(), 1u) << "twelve visits all showed the same block";
}

}  // namespace
