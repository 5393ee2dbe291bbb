// The clear scene: "Finish!", the character eating, and the round's score
// counting up, then the best score (marked when this round beat it). The
// first tap snaps the count to the score; a later tap, once
// more than 128 ticks have passed, fades to black and returns to the title.
#include "game/front/clear_scene.h"

#include "engine/app/app.h"
#include "game/scene/best_score.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "game/scene/sound_cue.h"

constexpr const char* kBackgroundPicture = "gameBack.png";
constexpr const char* kBalloonPicture = "balloonL.png";
constexpr const char* kCharacterPicture = "pemoglut.png";
constexpr const char* kShadowPicture = "shadow.png";
constexpr const char* kClearMusic = "BGM_clear.ogg";
constexpr float kSheetSide = 512.0f;
constexpr float kCharacterX = 832.0f;
constexpr float kCharacterY = 384.0f;
// The best score's row under the count: "Best" then eight small digits, and
// "New best!" under them, left of the balloon's tail.
constexpr int32_t kBestDigitSize = 32;
constexpr float kBestRightX = 658.0f;
constexpr float kBestTopY = 262.0f;
constexpr int32_t kBestLabelX = 262;
constexpr int32_t kBestLabelY = 278;
constexpr int32_t kNewBestX = 240;
constexpr int32_t kNewBestY = 336;
// A tap before this many ticks never leaves the scene.
constexpr int32_t kLeaveAfterTicks = 128;

ClearSceneState clearScene;
BitmapFont finishText;

int32_t ClearSceneInit() {
  ClearSceneState& c = clearScene;
  c.ticks = 0;
  FadeStart(1.0f, -0.02f, 1);

  if (LoadContentsPicture(&c.backgroundTexture, kBackgroundPicture) != 0) return 1;
  SpriteInit(&c.background);
  c.background.pos = Vec2{512.0f, 288.0f};
  c.background.size = Vec2{1024.0f, 576.0f};
  // The lower right quarter of the picture, enlarged.
  c.background.uv[0] = 0.5f;
  c.background.uv[1] = 0.5f;
  c.background.uv[2] = 0.5f;
  c.background.uv[3] = 0.5f;

  if (LoadContentsPicture(&c.balloonTexture, kBalloonPicture) != 0) return 1;
  SpriteInit(&c.balloon);
  c.balloon.pos = Vec2{422.0f, 208.0f};
  c.balloon.size = Vec2{768.0f, 384.0f};

  if (LoadContentsPicture(&c.characterTexture, kCharacterPicture) != 0) return 1;
  c.scale = Vec2{1.0f, 0.9f};
  AnimInit(&c.character, kCharacterX, kCharacterY, kSheetSide * c.scale.x,
           kSheetSide * c.scale.y, 4, 1, 0, 0, 0.25f, 1, 1, 1, 1, 1, 10, kAnimLoop);

  if (LoadContentsPicture(&c.shadowTexture, kShadowPicture) != 0) return 1;
  c.scale = Vec2{0.575f, 0.575f};
  SpriteInit(&c.shadow);
  c.shadow.pos = Vec2{c.character.sprite.pos.x, 430.0f};
  c.shadow.size = Vec2{kSheetSide * c.scale.x, kSheetSide * c.scale.y};
  c.shadow.color = Color{1.0f, 1.0f, 1.0f, 0.6f};
  c.shadow.depth = 0.0f;

  FontInit(&finishText);
  FontSetText(&finishText, "Finish!", 150, 130, 1, 1, 0, 1, 76, 76, 64);
  NumberDisplayInit(&c.scoreDisplay, 402.0f, 190.0f, 64, true);

  // The round's end recorded the best; this scene only shows it.
  c.newBest = bestScore.roundNewBest;
  c.bestShown = false;
  NumberDisplayInit(&c.bestDisplay, kBestRightX, kBestTopY, kBestDigitSize, false);
  NumberDisplayShow(&c.bestDisplay, bestScore.value);
  FontInit(&c.bestLabel);
  FontSetText(&c.bestLabel, "Best", kBestLabelX, kBestLabelY, 0.45f, 0.2f, 0.3f, 1, 40, 40, 30);
  FontInit(&c.newBestMark);
  FontSetText(&c.newBestMark, "New best!", kNewBestX, kNewBestY, 1, 0.35f, 0.5f, 1, 48, 48, 38);
  c.leaving = 0;
  c.snapped = 0;

  SoundCue::StartBgm(&c.music, kClearMusic);
  return 0;
}

void ClearSceneUpdate() {
  ClearSceneState& c = clearScene;
  TouchSlot& touch = touchSlots[0];

  c.ticks += 1;
  AnimUpdate(&c.character);
  // The first new press only completes the count, and is consumed by it.
  if (touch.down == 1 && touch.wasDown == 0 && c.snapped == 0) {
    NumberDisplaySnap(&c.scoreDisplay);
    c.snapped = 1;
    touch.wasDown = 1;
  }
  if (c.scoreDisplay.digitScratch <= score) c.counted = 1;
  if (touch.down == 1 && touch.wasDown == 0 && c.ticks > kLeaveAfterTicks && c.counted == 1) {
    c.leaving = 1;
  }
  if (c.leaving) FadeOutAndRequest(kSceneTitle);
  NumberDisplayUpdate(&c.scoreDisplay);
  if (c.scoreDisplay.shown == c.scoreDisplay.target) c.bestShown = true;
}

void ClearSceneDraw() {
  ClearSceneState& c = clearScene;
  DrawSprite(&c.background, &c.backgroundTexture);
  DrawSprite(&c.balloon, &c.balloonTexture);
  NumberDisplayDraw(&c.scoreDisplay);
  if (c.bestShown) {
    FontDraw(&c.bestLabel);
    NumberDisplayDraw(&c.bestDisplay);
    if (c.newBest) FontDraw(&c.newBestMark);
  }
  DrawSprite(&c.shadow, &c.shadowTexture);
  AnimDraw(&c.character, &c.characterTexture);
  FontDraw(&finishText);
}

void ClearSceneRelease() {
  ClearSceneState& c = clearScene;
  SoundCue::Release(&c.music);
  FontRelease(&finishText);
  NumberDisplayRelease(&c.scoreDisplay);
  NumberDisplayRelease(&c.bestDisplay);
  FontRelease(&c.bestLabel);
  FontRelease(&c.newBestMark);
  DeleteTexture(&c.balloonTexture);
  DeleteTexture(&c.backgroundTexture);
  DeleteTexture(&c.shadowTexture);
  DeleteTexture(&c.characterTexture);
}
