// The five scene classes. They hold no data: construction runs the scene's
// initialisation on its static record, destruction its release, and Update
// returns the scene's own id (switches go through the global request).
#include "game/front/clear_scene.h"
#include "game/front/load_scene.h"
#include "game/front/logo_scene.h"
#include "game/front/title_scene.h"
#include "game/scene/game_scene.h"
#include "game/scene/scene.h"

// A failed initialisation has printed its own message; the scene runs on.
CLogoScene::CLogoScene() { (void)LogoSceneInit(); }
CLogoScene::~CLogoScene() { LogoSceneRelease(); }
int32_t CLogoScene::Update() {
  LogoSceneUpdate();
  return kSceneLogo;
}
void CLogoScene::Draw() { LogoSceneDraw(); }

CTitleScene::CTitleScene() { (void)TitleSceneInit(); }
CTitleScene::~CTitleScene() { TitleSceneRelease(); }
int32_t CTitleScene::Update() {
  TitleSceneUpdate();
  return kSceneTitle;
}
void CTitleScene::Draw() { TitleSceneDraw(); }

CLoadScene::CLoadScene() { (void)LoadSceneInit(); }
CLoadScene::~CLoadScene() { LoadSceneRelease(); }
int32_t CLoadScene::Update() {
  LoadSceneUpdate();
  return kSceneLoad;
}
void CLoadScene::Draw() { LoadSceneDraw(); }

CGameScene::CGameScene() { (void)GameSceneInit(); }
CGameScene::~CGameScene() { GameSceneRelease(); }
int32_t CGameScene::Update() {
  GameSceneUpdate();
  return kSceneGame;
}
void CGameScene::Draw() { GameSceneDraw(); }

CClearScene::CClearScene() { (void)ClearSceneInit(); }
CClearScene::~CClearScene() { ClearSceneRelease(); }
int32_t CClearScene::Update() {
  ClearSceneUpdate();
  return kSceneClear;
}
void CClearScene::Draw() { ClearSceneDraw(); }
