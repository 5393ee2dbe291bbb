// SceneChanger with the real scenes under a GL window: requests are taken in
// the tick and carried out in the next frame, the later of two requests wins,
// a scene waiting to be left is not updated, and a bad id is reported and
// retried every frame.
#include <gtest/gtest.h>

#include <string>

#include "engine/app/app.h"
#include "game/front/load_scene.h"
#include "game/front/logo_scene.h"
#include "game/scene/scene.h"
#include "support/engine/gl_test_context.h"

namespace {

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class SceneChangerTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureGlWindow();
    sceneRequestPending = 0;
    ASSERT_EQ(changer_.Change(kSceneLogo), 0);
  }
  SceneChanger changer_;
};

TEST_F(SceneChangerTest, RequestIsTakenInTheTickAndCarriedOutInTheNextFrame) {
  touchSlots[0].x = 40;
  touchSlots[0].y = 50;
  RequestScene(kSceneLoad);
  EXPECT_EQ(changer_.RequestedId(), kSceneLogo) << "nothing happens before the tick";
  changer_.Update();
  EXPECT_EQ(sceneRequestPending, 0);
  EXPECT_EQ(changer_.CurrentId(), kSceneLogo);
  EXPECT_EQ(changer_.RequestedId(), kSceneLoad);
  // The tick also refreshes the touch slots' last positions.
  EXPECT_EQ(touchSlots[0].lastX, 40.0f);
  EXPECT_EQ(touchSlots[0].lastY, 50.0f);

  changer_.Draw();
  EXPECT_EQ(changer_.CurrentId(), kSceneLoad);
  EXPECT_EQ(changer_.RequestedId(), kSceneLoad);
  // The ticks run again at 60 once the switch is made.
  EXPECT_EQ(GetTickRate(), 60);
  // The new scene runs from its own start.
  const int32_t before = loadScene.ticks;
  changer_.Update();
  EXPECT_EQ(loadScene.ticks, before + 1);
}

TEST_F(SceneChangerTest, TheLaterOfTwoRequestsInOneTickWins) {
  RequestScene(kSceneTitle);
  RequestScene(kSceneLoad);
  changer_.Update();
  changer_.Draw();
  EXPECT_EQ(changer_.CurrentId(), kSceneLoad);
}

TEST_F(SceneChangerTest, SceneIsNotUpdatedWhileItsSwitchIsPending) {
  changer_.Update();
  const float afterOne = logoScene.ticks;
  // The tick that takes the request still updates the scene first.
  RequestScene(kSceneLoad);
  changer_.Update();
  EXPECT_EQ(logoScene.ticks, afterOne + 1);
  for (int i = 0; i < 5; ++i) changer_.Update();
  EXPECT_EQ(logoScene.ticks, afterOne + 1);
  changer_.Draw();
  EXPECT_EQ(changer_.CurrentId(), kSceneLoad);
}

TEST_F(SceneChangerTest, BadIdIsReportedInEveryFrameUntilAGoodRequest) {
  RequestScene(9);
  changer_.Update();
  testing::internal::CaptureStdout();
  changer_.Draw();
  changer_.Draw();
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Count(out, "SceneChanger失敗\n"), 2);
  EXPECT_EQ(changer_.CurrentId(), kSceneLogo) << "ids are left as they were";
  EXPECT_EQ(changer_.RequestedId(), 9);

  RequestScene(kSceneLoad);
  changer_.Update();
  testing::internal::CaptureStdout();
  changer_.Draw();
  std::fflush(stdout);
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Count(out, "SceneChanger失敗"), 0);
  EXPECT_EQ(changer_.CurrentId(), kSceneLoad);
  EXPECT_EQ(changer_.Change(-1), 1);
}

TEST_F(SceneChangerTest, ReleaseLeavesNoSceneAndLaterTicksDoNothing) {
  changer_.Release();
  EXPECT_EQ(changer_.CurrentId(), kSceneNone);
  ASSERT_EQ(changer_.Change(kSceneNone), 0);
  changer_.Update();
  changer_.Draw();
  EXPECT_EQ(changer_.CurrentId(), kSceneNone);
  EXPECT_EQ(changer_.RequestedId(), kSceneNone);
}

}  // namespace
