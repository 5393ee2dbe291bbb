// The loading scene: a panel, a tilted "loading" label and a spinning block
// picked at random, for 121 ticks; then the game scene is requested. The
// block's cell is kept in the round state for the round's opening overlay.
#include "game/front/load_scene.h"

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "game/scene/sprite_setup.h"

constexpr const char* kPanelPicture = "poseback.png";
constexpr const char* kLabelPicture = "loading.png";
constexpr const char* kBlockPicture = "block.png";
constexpr int32_t kLoadTicks = 120;
constexpr int32_t kSpinEvery = 5;
constexpr float kSpinDegrees = 13.0f;
constexpr float kLabelX = 732.0f;
constexpr float kLabelY = 514.0f;
constexpr float kLabelWidth = 256.0f;
constexpr float kLabelHeight = 64.0f;
constexpr float kSpinnerSize = 32.0f;
constexpr float kBlockCell = 0.25f;
constexpr Color kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Vec2 kLoadingCells[5] = {{0.0f, 0.0f}, {0.5f, 0.25f}, {0.5f, 0.5f}, {0.5f, 0.0f},
                                   {0.0f, 0.25f}};

LoadSceneState loadScene;

Vec2 LoadingCellFor(int32_t number) {
  if (number < 0 || number > 4) number = 0;
  return kLoadingCells[number];
}

int32_t LoadSceneInit() {
  if (LoadContentsPicture(&loadScene.panelTexture, kPanelPicture) != 0) return 1;
  SetSprite(&loadScene.panel, Vec2{0.0f, 0.0f}, Vec2{1024.0f, 576.0f}, kWhite, 0, 0, 1, 1, 0.0f);
  if (LoadContentsPicture(&loadScene.labelTexture, kLabelPicture) != 0) return 1;
  SetSprite(&loadScene.label, Vec2{kLabelX, kLabelY}, Vec2{kLabelWidth, kLabelHeight}, kWhite, 0, 0, 1, 1, 10.0f);
  if (LoadContentsPicture(&loadScene.blockTexture, kBlockPicture) != 0) return 1;

  // The spinner keeps its angle, so it is set field by field.
  Sprite* spinner = &loadScene.spinner;
  spinner->pos = Vec2{kLabelX - kLabelWidth / 2.0f - kSpinnerSize / 2.0f, kLabelY - 23.0f};
  spinner->size = Vec2{kSpinnerSize, kSpinnerSize};
  spinner->color = Color{1.0f, 1.0f, 1.0f, 1.0f};
  spinner->depth = 0.0f;
  loadingBlockCell = LoadingCellFor(LookRandomInt(0, 4));
  spinner->uv[0] = loadingBlockCell.x;
  spinner->uv[1] = loadingBlockCell.y;
  spinner->uv[2] = kBlockCell;
  spinner->uv[3] = kBlockCell;

  FadeStart(1.0f, -0.05f, 1);
  loadScene.ticks = 0;
  return 0;
}

void LoadSceneUpdate() {
  loadScene.ticks += 1;
  // Asked again every tick until the switch is made; no fade-out first.
  if (loadScene.ticks > kLoadTicks) RequestScene(kSceneGame);
  if (loadScene.ticks % kSpinEvery == 0) loadScene.spinner.angle += kSpinDegrees;
}

void LoadSceneDraw() {
  DrawSpriteTopLeft(&loadScene.panel, &loadScene.panelTexture);
  DrawSprite(&loadScene.label, &loadScene.labelTexture);
  DrawSprite(&loadScene.spinner, &loadScene.blockTexture);
}

void LoadSceneRelease() {
  DeleteTexture(&loadScene.panelTexture);
  DeleteTexture(&loadScene.labelTexture);
  DeleteTexture(&loadScene.blockTexture);
}
