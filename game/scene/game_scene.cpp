// The round: background and music, the round state's reset, and the HUD,
// board and pause menu sequenced every tick and every frame. The pause menu's
// flags decide whether the round moves on in a tick.
#include "game/scene/game_scene.h"

#include <cstdio>

#include "engine/app/app.h"
#include "game/field/board.h"
#include "game/field/board_cursor.h"
#include "game/hud/hud.h"
#include "game/hud/pause_menu.h"
#include "game/hud/replay_mark.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"
#include "game/scene/sound_cue.h"

namespace {

constexpr int32_t kBonusPlateEvery = 7;

}  // namespace

GameSceneState gameScene;

int32_t GameSceneInit() {
  GameSceneState* g = &gameScene;
  g->roundBuilt = false;
  // The round's draws start from its seed, before its objects draw; first of
  // all, so that a replay whose round cannot be built is still taken (and
  // left by a press) rather than waiting for the next round.
  RoundRecordBegin();
  if (LoadContentsPicture(&g->backgroundTexture, "gameBack.png") != 0) return 1;
  SpriteInit(&g->background);
  g->background.pos = MakeVec2(512.0f, 288.0f);
  g->background.size = MakeVec2(1024.0f, 576.0f);
  g->background.color = MakeColor(1, 1, 1, 1);
  if (LoadContentsPicture(&particleTexture, "particle.png") != 0) return 1;

  // playTicks is left alone: it counts play across rounds.
  g->sceneTicks = 0;
  score = 0;
  plateResetCount = 0;
  ordersCleared = 0;
  comboCount = 0;
  plateCount = 0;
  // A round quit between a perfect plate and the customer's rise would
  // otherwise start the next one with the customer jumping.
  perfectPlate = false;

  // A part whose picture is missing has said so and runs without it, as
  // the round does; the result tells that the round is not whole.
  int32_t failed = HudInit(&gameHud);
  failed |= BoardInit(&board);
  failed |= BoardCursorInit(&boardCursor);
  failed |= PauseMenuInit(&pauseMenu);
  failed |= ReplayMarkInit(&replayMark, RoundRecordIsReplay());
  g->roundBuilt = true;

  SoundCue::StartBgm(&g->music, "BGM_game.ogg");
  return failed != 0 ? 1 : 0;
}

bool GameSceneWantsBonusLayout(int32_t plates, float plateY) {
  return plates % kBonusPlateEvery == 0 && plateY < 0.0f;
}

void GameSceneUpdate() {
  GameSceneState* g = &gameScene;
  g->sceneTicks += 1;
  // Without its objects (a picture of the scene failed to load) the round
  // cannot be played; nothing is updated rather than objects never set up.
  // A live press ends a replay: the round stands still while it fades out.
  if (RoundRecordLeaving()) {
    FadeOutAndRequest(RoundRecordNextScene());
    return;
  }
  if (!g->roundBuilt) return;

  if (!pauseMenu.paused && !pauseMenu.animating) {
    // The keys' finger moves with the cursor before anything reads it.
    BoardCursorUpdate(&boardCursor);
    playTicks += 1;
    HudUpdate(&gameHud);
    BoardUpdate(&board);
    if (board.newPlateReady) {
      BoardSlideIn(&board);
      plateCount += 1;
      // A replay is not play: standard output stays the checker's.
      if (!RoundRecordIsReplay()) {
        printf("%d\n", plateCount);
        fflush(stdout);
      }
      if (GameSceneWantsBonusLayout(plateCount, board.plate.pos.y)) BoardBonusLayout(&board);
      comboCount = 0;
      board.newPlateReady = false;
    }
  }
  PauseMenuUpdate(&pauseMenu);
  RoundRecordAfterTick();
}

void GameSceneDraw() {
  GameSceneState* g = &gameScene;
  DrawSprite(&g->background, &g->backgroundTexture);
  if (!g->roundBuilt) return;
  BoardDraw(&board);
  BoardCursorDraw(&boardCursor);
  HudDraw(&gameHud);
  // Under the pause menu's panel, which a replayed round may open.
  ReplayMarkDraw(&replayMark);
  PauseMenuDraw(&pauseMenu);
}

void GameSceneRelease() {
  GameSceneState* g = &gameScene;
  RoundRecordEnd();
  SoundCue::Release(&g->music);
  DeleteTexture(&g->backgroundTexture);
  if (g->roundBuilt) {
    HudRelease(&gameHud);
    BoardRelease(&board);
    BoardCursorRelease(&boardCursor);
    PauseMenuRelease(&pauseMenu);
    ReplayMarkRelease(&replayMark);
  } else {
    // particle.png may have loaded before the scene gave up.
    DeleteTexture(&particleTexture);
  }
  g->roundBuilt = false;
}
