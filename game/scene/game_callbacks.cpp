// The game's four engine callbacks: start opens the window and builds the
// logo scene, the tick (timer thread) samples input and updates the scene and
// the fade, the frame (main thread) draws, and end releases everything.
#include "engine/app/app.h"
#include "engine/render/debug_text.h"
#include "engine/render/sprite.h"
#include "game/scene/fade.h"
#include "game/scene/key_play.h"
#include "game/scene/player_settings.h"
#include "game/scene/round_record.h"
#include "game/scene/scene.h"

constexpr const char* kWindowCaption = "TIDE_MARKER";
constexpr int32_t kScreenWidth = 1024;
constexpr int32_t kScreenHeight = 576;
// No flag bit set: a centred, bordered window with vertical sync, the timer
// thread and every engine module.
constexpr int32_t kWindowFlags = 16;
constexpr int32_t kTickRate = 60;
constexpr int32_t kDebugTextSize = 18;
// The program's icon, drawn by the build from the game's art.
constexpr const char* kWindowIconFile = "icon.png";

namespace {

// The first scene after the window opens: the logo, or the loading scene
// before a replay given on the command line.
int32_t firstScene = kSceneLogo;

}  // namespace

void GameStartsWithReplay(const Replay& replay) {
  RoundRecordPlayNext(&replay, ReplayShow::kWatched);
  firstScene = kSceneLoad;
}

int32_t GameStart() {
  // Without a window there is no GL context to build a scene with.
  int32_t flags = kWindowFlags | (PlayerSettingsFullscreen() ? kFullscreen : 0);
  if (CreateAppWindow(kWindowCaption, kScreenWidth, kScreenHeight, flags) != 0) return 1;
  SetWindowIcon(ContentsPath(kWindowIconFile));
  PlayerSettingsApply();
  SetClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  SetScreenSize(static_cast<float>(kScreenWidth), static_cast<float>(kScreenHeight));
  SetTouchArea(static_cast<float>(kScreenWidth), static_cast<float>(kScreenHeight));
  sceneRequestId = firstScene;
  tickCount = 0;

  sceneChanger = new SceneChanger();
  if (sceneChanger->Change(sceneRequestId) != 0) {
    sceneChanger->Release();
    delete sceneChanger;
    sceneChanger = nullptr;
    return 1;
  }
  for (TouchSlot& slot : touchSlots) slot.wasDown = 0;
  KeyPlayInit(&keyPlay);
  sceneRequestPending = 0;
  SetTickCallback(kTickRate, GameTick);
  return 0;
}

void GameTick() {
  tickCount += 1;
  RoundRecordFeed();
  SampleTouchSlots();
  RoundRecordCapture();
  KeyPlayUpdate(&keyPlay);
  if (sceneChanger != nullptr) sceneChanger->Update();
  if (FadeIsActive()) FadeUpdate();
  PlayerSettingsUpdate();
  FinishTouchTick();
}

int32_t GameFrame() {
  ClearScreen();
  if (sceneChanger != nullptr) sceneChanger->Draw();
  // The fade goes on top, after any switch, so a switching frame ends black.
  if (FadeIsActive()) FadeDraw();
  PlayerSettingsDraw();
  // Whatever a scene set while drawing must not leak into the next frame.
  SetDrawColor(1.0f, 1.0f, 1.0f, 1.0f);
  SetDrawRotation(0.0f);
  SetDebugTextSize(kDebugTextSize);
  return 0;
}

int32_t GameEnd() {
  // While the window is open: it tells whether the game ends in full screen.
  PlayerSettingsRelease();
  if (sceneChanger != nullptr) {
    sceneChanger->Release();
    delete sceneChanger;
    sceneChanger = nullptr;
  }
  ShutdownEngine();
  return 0;
}
