// Scenes: the five scene shells over their static records, the SceneChanger
// that holds the current one, the global scene request, and the game's four
// engine callbacks. Scene updates and requests run on the timer thread;
// drawing, switching (Change) and release run on the main thread.
#pragma once

#include <cstdint>

constexpr int32_t kSceneNone = 0;
constexpr int32_t kSceneLogo = 1;
constexpr int32_t kSceneTitle = 2;
constexpr int32_t kSceneLoad = 3;
constexpr int32_t kSceneGame = 4;
constexpr int32_t kSceneClear = 5;

class CScene {
 public:
  virtual ~CScene() = default;
  virtual int32_t Update() = 0;
  virtual void Draw() = 0;
};

class CLogoScene : public CScene {
 public:
  CLogoScene();
  ~CLogoScene() override;
  int32_t Update() override;
  void Draw() override;
};

class CTitleScene : public CScene {
 public:
  CTitleScene();
  ~CTitleScene() override;
  int32_t Update() override;
  void Draw() override;
};

class CLoadScene : public CScene {
 public:
  CLoadScene();
  ~CLoadScene() override;
  int32_t Update() override;
  void Draw() override;
};

class CGameScene : public CScene {
 public:
  CGameScene();
  ~CGameScene() override;
  int32_t Update() override;
  void Draw() override;
};

class CClearScene : public CScene {
 public:
  CClearScene();
  ~CClearScene() override;
  int32_t Update() override;
  void Draw() override;
};

class SceneChanger {
 public:
  ~SceneChanger();
  int32_t Change(int32_t id);
  void Update();
  void Draw();
  void Release();
  int32_t CurrentId() const { return currentId_; }
  int32_t RequestedId() const { return requestedId_; }

 private:
  CScene* scene_ = nullptr;
  int32_t currentId_ = 0;
  int32_t requestedId_ = 0;
};

extern SceneChanger* sceneChanger;
extern int32_t sceneRequestId;
extern uint8_t sceneRequestPending;
extern int32_t tickCount;

// Requests a switch to the scene id (taken by the next SceneChanger update).
void RequestScene(int32_t id);

int32_t GameStart();
int32_t GameEnd();
int32_t GameFrame();
void GameTick();
struct Replay;
// Before the main loop: the program plays replay first, then goes on to the
// title as after any round.
void GameStartsWithReplay(const Replay& replay);
