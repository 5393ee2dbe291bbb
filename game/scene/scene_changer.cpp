// SceneChanger: holds the current scene and switches it on request. Requests
// are taken in the tick; the switch itself is made in the frame, on the main
// thread, with the ticks paused, because building a scene loads textures.
#include <cstdio>

#include "engine/app/app.h"
#include "engine/app/test_events.h"
#include "game/scene/scene.h"

constexpr int32_t kTickRate = 60;
// The scenes' names in the test event log, by id.
constexpr const char* kSceneNames[] = {"none", "logo", "title", "load", "game", "clear"};

SceneChanger* sceneChanger = nullptr;
int32_t sceneRequestId = 0;
uint8_t sceneRequestPending = 0;
int32_t tickCount = 0;

void RequestScene(int32_t id) {
  sceneRequestId = id;
  sceneRequestPending = 1;
}

SceneChanger::~SceneChanger() { Release(); }

int32_t SceneChanger::Change(int32_t id) {
  delete scene_;
  scene_ = nullptr;
  switch (id) {
    case kSceneNone: break;
    case kSceneLogo: scene_ = new CLogoScene(); break;
    case kSceneTitle: scene_ = new CTitleScene(); break;
    case kSceneLoad: scene_ = new CLoadScene(); break;
    case kSceneGame: scene_ = new CGameScene(); break;
    case kSceneClear: scene_ = new CClearScene(); break;
    default: return 1;
  }
  // Once the new scene is built: what the old one freed and the new one did
  // not reuse would otherwise stay with the process.
  ReturnFreedMemory();
  currentId_ = id;
  requestedId_ = id;
  TestEvent("scene %s", kSceneNames[id]);
  return 0;
}

void SceneChanger::Update() {
  // While a switch is pending the old scene stands still.
  if (currentId_ == requestedId_ && scene_ != nullptr) requestedId_ = scene_->Update();
  if (sceneRequestPending == 1) {
    requestedId_ = sceneRequestId;
    sceneRequestPending = 0;
  }
  RefreshTouchLastPositions();
}

void SceneChanger::Draw() {
  // The scene being left is drawn once more, in the frame of the switch.
  if (scene_ != nullptr) scene_->Draw();
  if (currentId_ == requestedId_) return;

  // No tick may run while scenes are destroyed and built.
  SetTickCallback(kTickRate, nullptr);
  WaitForTick();
  if (Change(requestedId_) != 0) {
    // The ids still differ, so the next frame tries again.
    std::printf("SceneChanger失敗\n");
  }
  SetTickCallback(kTickRate, GameTick);
}

void SceneChanger::Release() {
  delete scene_;
  scene_ = nullptr;
  currentId_ = kSceneNone;
}
