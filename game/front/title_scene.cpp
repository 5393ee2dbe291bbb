// The title scene: the character drops onto its shadow, the two halves of the
// title drop in, an overlay fades in, then the title bobs now and then. A held
// touch during the drop-in skips to the end; a touch after that fades to black
// and asks for the loading scene. A touch on the sound button only mutes or
// unmutes. Left alone after the drop-in, it fades into its demo round.
#include "game/front/title_scene.h"

#include "engine/app/app.h"
#include "game/front/how_to_play.h"
#include "game/front/title_demo.h"
#include "game/scene/best_score.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/key_play.h"
#include "game/scene/player_settings.h"
#include "game/scene/round_record.h"
#include "game/scene/scene.h"
#include "game/scene/sound_cue.h"
#include "game/scene/sprite_setup.h"

constexpr const char* kBackgroundPicture = "gameBack.png";
constexpr const char* kOverlayPicture = "PMBack.png";
constexpr const char* kCharacterPicture = "pemophiSp.png";
constexpr const char* kShadowPicture = "shadow.png";
constexpr const char* kTitlePicture = "title.png";
constexpr const char* kTitleMusic = "BGM_title.ogg";

// Ticks every drop waits before it starts, and before a touch counts.
constexpr int32_t kWaitTicks = 32;
constexpr float kSheetSide = 512.0f;
constexpr float kCharacterX = 512.0f;
constexpr float kCharacterStopY = 425.0f;
constexpr float kCharacterRestY = 415.0f;
constexpr float kCharacterSkipY = 420.0f;
constexpr float kPiece1StopY = 105.0f;
constexpr float kPiece1RestY = 100.0f;
constexpr float kPiece3StopY = 130.0f;
constexpr float kPiece3RestY = 125.0f;
constexpr float kBobLift = 5.0f;
constexpr float kShadowRisePerTick = 1.25f;
constexpr float kShadowGrowPerTick = 0.0075f;
constexpr float kShadowRestY = 437.5f;
constexpr float kShadowRestScale = 0.575f;
constexpr float kOverlayStep = 0.1f;
constexpr int32_t kBobStartTicks = 128;
// The best score in the lower right corner, on the rug's far edge: clear of
// the character, its shadow, "Touch Start" and the title pieces (the lower
// left corner stays bare: the tests tell the title by it).
constexpr int32_t kBestDigitSize = 24;
constexpr float kBestRightX = 1008.0f;
constexpr float kBestTopY = 540.0f;
constexpr int32_t kBestLabelX = 720;
constexpr int32_t kBestLabelY = 552;
// The sound button: at the left edge in the stripe between the first title
// piece and the sparkle below it, under the pieces as they fall past.
constexpr Vec2 kSoundButtonPos = {38.0f, 204.0f};
constexpr float kSoundButtonSize = 56.0f;
constexpr Vec2 kPiece2Offset = {200.0f, 100.0f};
constexpr Vec2 kPiece4Offset = {200.0f, 175.0f};
// Where the finger key presses: on "Touch Start", never on the help button.
constexpr Vec2 kStartAim = {512.0f, 475.0f};

TitleSceneState titleScene;

namespace {

// One tick of a drop: the speed is added first and grows on odd ticks, so
// the steps go 0, 1, 1, 2, 2, 3, ...
void FallStep(float* y, int32_t* speed, int32_t ticks) {
  *y += static_cast<float>(*speed);
  if (ticks % 2 == 1) *speed += 1;
}

void UpdateIntro(const TouchSlot& touch) {
  TitleSceneState& t = titleScene;
  Sprite& character = t.character.sprite;
  Sprite& piece1 = t.pieces[0];
  Sprite& piece3 = t.pieces[2];

  if (t.ticks > kWaitTicks && t.characterFalling) {
    if (character.pos.y < kCharacterStopY) {
      FallStep(&character.pos.y, &t.characterSpeed, t.ticks);
      t.shadow.pos.y -= kShadowRisePerTick;
      t.shadowScale.x += kShadowGrowPerTick;
      t.shadowScale.y += kShadowGrowPerTick;
    } else {
      t.ticks = 0;
      t.characterFalling = false;
      t.piece1Falling = true;
    }
  }
  if (!t.characterFalling) character.pos.y = kCharacterRestY;

  if (t.ticks > kWaitTicks && t.piece1Falling) {
    if (piece1.pos.y < kPiece1StopY) {
      FallStep(&piece1.pos.y, &t.piece1Speed, t.ticks);
    } else {
      t.ticks = 0;
      t.piece1Falling = false;
      t.piece1Landed = true;
      t.piece3Falling = true;
    }
  }
  if (t.piece1Landed && !t.piece1Falling) piece1.pos.y = kPiece1RestY;

  if (t.ticks > kWaitTicks && t.piece3Falling) {
    if (piece3.pos.y < kPiece3StopY) {
      FallStep(&piece3.pos.y, &t.piece3Speed, t.ticks);
    } else {
      t.ticks = 0;
      t.piece3Falling = false;
      t.piece3Landed = true;
    }
  }
  if (t.piece3Landed && !t.piece3Falling) {
    piece3.pos.y = kPiece3RestY;
    t.overlayFading = true;
  }

  if (t.ticks >= kWaitTicks && t.overlayFading) {
    t.bobCounter1 = 0;
    t.bobCounter2 = 0;
    t.overlay.color.a += kOverlayStep;
  }
  if (t.overlay.color.a > 1.0f) t.introDone = true;

  // A held finger (not only a new press) jumps to the final layout.
  if (touch.down == 1 && !t.skipped) {
    t.ticks = 0;
    character.pos.y = kCharacterSkipY;
    t.bobCounter1 = 0;
    t.bobCounter2 = 0;
    piece1.pos.y = kPiece1RestY;
    piece3.pos.y = kPiece3RestY;
    t.skipped = true;
    t.introDone = true;
    t.shadow.pos.y = kShadowRestY;
    t.shadowScale = Vec2{kShadowRestScale, kShadowRestScale};
    t.shadow.size = Vec2{kShadowRestScale * kSheetSide, kShadowRestScale * kSheetSide};
    t.overlay.color.a = 1.0f;
  }
}

// Piece 1 stands higher while bob counter 1 is 25..32, piece 3 while bob
// counter 2 is 43..50; at 51 the cycle restarts with the tick count.
void UpdateBobbing() {
  TitleSceneState& t = titleScene;
  if (t.ticks > kBobStartTicks) {
    t.bobCounter1 += 1;
    t.bobCounter2 += 1;
  }
  if (t.introDone && !t.bob1 && t.bobCounter1 > 24) {
    t.bob1 = true;
    t.pieces[0].pos.y = kPiece1RestY - kBobLift;
  }
  if (t.bob1 && t.bobCounter1 > 32) {
    t.bob1 = false;
    t.pieces[0].pos.y = kPiece1RestY;
  }
  if (t.introDone && !t.bob2 && t.bobCounter2 > 42) {
    t.bob2 = true;
    t.pieces[2].pos.y = kPiece3RestY - kBobLift;
  }
  if (t.bob2 && t.bobCounter2 > 50) {
    t.pieces[2].pos.y = kPiece3RestY;
    t.bobCounter2 = 0;
    t.bob2 = false;
    t.ticks = 0;
    t.bobCounter1 = 0;
  }
}

// Counts the ticks the title is left alone after its drop-in; once they
// reach the wait, chooses the demo round and sets the title leaving for it.
void UpdateDemoWait(const TouchSlot& touch) {
  TitleSceneState& t = titleScene;
  const uint32_t presses = GetLivePressCount(LivePress::kAny);
  const bool alone = presses == t.pressesSeen && touch.down == 0 && t.introDone && !howToPlay.open && !t.leaving;
  t.pressesSeen = presses;
  t.idleTicks = alone ? t.idleTicks + 1 : 0;
  // Checked once per wait: a demo that cannot be read leaves the title as it is.
  if (t.idleTicks != t.demoWaitTicks) return;
  Replay demo;
  if (!TitleDemoChoose(&demo)) return;
  RoundRecordPlayNext(&demo, ReplayShow::kDemo);
  t.leaving = true;
  t.nextScene = kSceneGame;
}

}  // namespace

BitmapFont titleFont;

int32_t TitleSceneInit() {
  TitleSceneState& t = titleScene;
  const Color white = {1.0f, 1.0f, 1.0f, 1.0f};
  const Vec2 screenCentre = {512.0f, 288.0f};
  const Vec2 screenSize = {1024.0f, 576.0f};
  const Vec2 pieceSize = {384.0f, 192.0f};

  // Before any picture: a title missing one still leads to the round.
  t.holdAfterDemo = t.nextScene == kSceneGame;
  t.nextScene = kSceneLoad;
  t.idleTicks = 0;
  t.demoWaitTicks = TitleDemoWaitTicks();
  t.pressesSeen = GetLivePressCount(LivePress::kAny);
  // First: a picture missing below still leaves the cards and their button.
  HowToPlayInit(&howToPlay);
  if (LoadContentsPicture(&t.backgroundTexture, kBackgroundPicture) != 0) return 1;
  SetSprite(&t.background, screenCentre, screenSize, white, 0, 0, 1, 1, 0);
  if (LoadContentsPicture(&t.overlayTexture, kOverlayPicture) != 0) return 1;
  SetSprite(&t.overlay, screenCentre, screenSize, Color{1, 1, 1, 0}, 0, 0, 1, 1, 0);

  if (LoadContentsPicture(&t.characterTexture, kCharacterPicture) != 0) return 1;
  t.characterScale = Vec2{0.8f, 0.7f};
  AnimInit(&t.character, kCharacterX, -200.0f, t.characterScale.x * kSheetSide,
           t.characterScale.y * kSheetSide, 4, 4, 0, 0, 0.25f, 0.25f, 1, 1, 1, 1, 10, kAnimLoop);

  if (LoadContentsPicture(&t.shadowTexture, kShadowPicture) != 0) return 1;
  t.shadowScale = Vec2{0.2f, 0.2f};
  SetSprite(&t.shadow, Vec2{t.character.sprite.pos.x, 500.0f},
            Vec2{t.shadowScale.x * kSheetSide, t.shadowScale.y * kSheetSide},
            Color{1, 1, 1, 0.6f}, 0, 0, 1, 1, 0);

  if (LoadContentsPicture(&t.titleTexture, kTitlePicture) != 0) return 1;
  const Vec2 piece1 = {160.0f, -500.0f};
  const Vec2 piece3 = {635.0f, -600.0f};
  SetSprite(&t.pieces[0], piece1, pieceSize, white, 0, 0, 1, 0.5f, 20);
  SetSprite(&t.pieces[1], Vec2Add(piece1, kPiece2Offset), pieceSize, white, 0, 0, 1, 0.5f, -25);
  SetSprite(&t.pieces[2], piece3, pieceSize, white, 0, 0.5f, 1, 0.5f, 10);
  SetSprite(&t.pieces[3], Vec2Add(piece3, kPiece4Offset), pieceSize, white, 0, 0.5f, 1, 0.5f, 30);

  FadeStart(1.0f, -0.02f, 1);
  FontInit(&titleFont);
  FontSetText(&titleFont, "Touch Start", 350, 475, 0, 1, 1, 1, 40, 40, 32);
  NumberDisplayInit(&t.bestDisplay, kBestRightX, kBestTopY, kBestDigitSize, false);
  NumberDisplayShow(&t.bestDisplay, bestScore.value);
  FontInit(&t.bestLabel);
  FontSetText(&t.bestLabel, "Best", kBestLabelX, kBestLabelY, 0.45f, 0.2f, 0.3f, 1, 30, 30, 22);

  t.ticks = 0;
  t.bobCounter1 = 0;
  t.bobCounter2 = 0;
  t.skipped = false;
  t.introDone = false;
  t.characterFalling = true;
  t.piece1Falling = false;
  t.piece1Landed = false;
  t.piece3Falling = false;
  t.piece3Landed = false;
  t.overlayFading = false;
  t.bob1 = false;
  t.bob2 = false;
  t.leaving = false;
  t.characterSpeed = 0;
  t.piece1Speed = 0;
  t.piece3Speed = 0;

  t.pressOnButton = false;
  SoundCue::StartBgm(&t.music, kTitleMusic);
  // Last: without its picture the title only lacks the button.
  return SettingButtonsInit(&t.sound, kSoundButtonPos, kSoundButtonSize, 0, 1);
}

void TitleSceneUpdate() {
  TitleSceneState& t = titleScene;
  TouchSlot& touch = touchSlots[0];

  t.ticks += 1;
  AnimUpdate(&t.character);
  t.pieces[1].pos = Vec2Add(t.pieces[0].pos, kPiece2Offset);
  t.pieces[3].pos = Vec2Add(t.pieces[2].pos, kPiece4Offset);
  t.shadow.size = Vec2{t.shadowScale.x * kSheetSide, t.shadowScale.y * kSheetSide};

  if (t.holdAfterDemo && touch.down == 0) t.holdAfterDemo = false;
  // A finger of the player's own (not the keys') newly down on the button.
  if (!t.holdAfterDemo && !howToPlay.open && touch.down == 1 && touch.wasDown == 0 && !keyPlay.placed && !t.leaving &&
      SettingButtonAt(&t.sound, MakeVec2(touch.x, touch.y)) >= 0) {
    touch.wasDown = 1;
    t.pressOnButton = true;
    SettingButtonPress(SettingButton::kSound);
  }
  if (touch.down == 0) t.pressOnButton = false;
  // The rest of the title sees a press on the button as no touch at all.
  TouchSlot startTouch = touch;
  if (t.pressOnButton || t.holdAfterDemo) startTouch.down = 0;

  if (!t.introDone) UpdateIntro(startTouch);
  UpdateBobbing();

  // The "how to play" cards hold the input while open; a new press on the
  // help button opens them, and the first start of a new player shows them
  // before the round.
  const CardsStep cards = HowToPlayUpdate(&howToPlay);
  if (cards == CardsStep::kStartRound) t.leaving = true;
  if (cards == CardsStep::kIdle && !t.leaving) {
    KeyPlayAim(&keyPlay, kStartAim);
    if (startTouch.down == 1 && startTouch.wasDown == 0 && HowToPlayButtonHit(&howToPlay, touch.x, touch.y)) {
      HowToPlayOpen(&howToPlay, CardsOpening::kFromButton);
    } else if (startTouch.down == 1 && t.ticks > kWaitTicks && (t.skipped || t.introDone)) {
      if (HowToPlayBeforeFirstRound(bestScore.value, playerSettings.cardsSeen)) {
        HowToPlayOpen(&howToPlay, CardsOpening::kBeforeRound);
      } else {
        t.leaving = true;
      }
    }
  }
  UpdateDemoWait(startTouch);
  if (t.leaving) FadeOutAndRequest(t.nextScene);
}

void TitleSceneDraw() {
  TitleSceneState& t = titleScene;
  DrawSprite(&t.background, &t.backgroundTexture);
  DrawSprite(&t.overlay, &t.overlayTexture);
  DrawSprite(&t.shadow, &t.shadowTexture);
  AnimDraw(&t.character, &t.characterTexture);
  // The text and the sound button lie under the title pieces.
  FontDraw(&titleFont);
  SettingButtonsDraw(&t.sound);
  for (Sprite& piece : t.pieces) DrawSprite(&piece, &t.titleTexture);
  if (bestScore.value > 0) {
    FontDraw(&t.bestLabel);
    NumberDisplayDraw(&t.bestDisplay);
  }
  HowToPlayDraw(&howToPlay);
}

void TitleSceneRelease() {
  TitleSceneState& t = titleScene;
  SoundCue::Release(&t.music);
  DeleteTexture(&t.backgroundTexture);
  DeleteTexture(&t.overlayTexture);
  DeleteTexture(&t.characterTexture);
  DeleteTexture(&t.titleTexture);
  DeleteTexture(&t.shadowTexture);
  FontRelease(&titleFont);
  FontRelease(&t.bestLabel);
  SettingButtonsRelease(&t.sound);
  NumberDisplayRelease(&t.bestDisplay);
  HowToPlayRelease(&howToPlay);
}
