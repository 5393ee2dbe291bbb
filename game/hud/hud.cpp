// The round's HUD: the gauge with its stages, preview bar and pulse, the score
// counter, the plate-icon launch on a 6-combo, and the end of the round once
// the customer is full. Its draw also layers customer, sweets and icon.
#include "game/hud/hud.h"

#include "engine/app/app.h"
#include "engine/app/test_events.h"
#include "game/field/customer.h"
#include "game/field/sweet.h"
#include "game/hud/plate_icon.h"
#include "game/scene/best_score.h"
#include "game/scene/round_record.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "game/scene/sprite_setup.h"

namespace {

constexpr float kBarX = 964.0f;
constexpr float kBarY = 556.0f;
constexpr float kBarWidth = 64.0f;
constexpr float kFrameWidth = 148.0f;
constexpr float kFrameHeight = 510.0f;
// The frame sits left of the bars by a bar width, half a bar and a margin.
constexpr float kFrameX = kBarX - (kBarWidth + 32.0f + 10.0f);
constexpr float kFrameY = 566.0f;
constexpr float kStageOneLevel = 163.0f;
constexpr float kStageTwoLevel = 326.0f;
constexpr float kPulseShare = 0.75f;
constexpr float kLowestLevel = 0.01f;
constexpr float kSmoothingStep = 0.5f;
constexpr int32_t kIconCombo = 6;
constexpr float kIconStartX = 310.0f;
constexpr float kIconStartY = 310.0f;
constexpr float kFinishFadeStep = 0.02f;
constexpr float kFadeNearlyBlack = 0.98f;

const Color kStageColors[3] = {
    {1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}};

// Where the resting icon sits on the customer, by animation column; the
// floating face holds the customer differently from the others.
const Vec2 kRestFloating[4] = {{-10, 40}, {-10, 30}, {-10, 40}, {-10, 50}};
const Vec2 kRestOther[4] = {{-20, 50}, {-20, 50}, {-20, 40}, {-20, 30}};

}  // namespace

GameHud gameHud;

int32_t HudInit(GameHud* hud) {
  const char* kGaugeFile = "gauge.png";
  if (LoadContentsPicture(&hud->gaugeTexture, kGaugeFile) != 0) return 1;
  // The bars start at the full height; the first update sets their level.
  const float level = kGaugeMax;
  const Vec2 barPos = MakeVec2(kBarX, kBarY);
  const Vec2 barSize = MakeVec2(kBarWidth, level);
  const Vec2 frameSize = MakeVec2(kFrameWidth, kFrameHeight);
  SetSprite(&hud->targetBar, barPos, barSize, MakeColor(0.75f, 0.75f, 0.75f, 0.75f), 0.5f, 0.0f,
            0.5f, level / kGaugeMax, 180.0f);
  SetSprite(&hud->levelBar, barPos, barSize, MakeColor(1, 1, 1, 1), 0.5f, 0.0f, 0.5f,
            level / kGaugeMax, 180.0f);
  SetSprite(&hud->frame, MakeVec2(kFrameX, kFrameY), frameSize, kStageColors[0], 0.0f, 0.0f, 0.5f,
            1.0f, 0.0f);
  SetSprite(&hud->pulse, MakeVec2(kFrameX + kFrameWidth / 2, kFrameY - kFrameHeight / 2), frameSize,
            MakeColor(0, 0, 1, 1), 0.0f, 0.0f, 0.5f, 1.0f, 0.0f);

  CustomerInit(&customer);
  PlateIconInit(&plateIcon);
  NumberDisplayInit(&hud->scoreDisplay, 1024.0f, 0.0f, 64, false);

  FadeStart(0.0f, -0.02f, 1);

  hud->gaugeMax = kGaugeMax;
  gaugeLevel = 0.1f;
  gaugeStage = 0;
  hud->shownLevel = 0.0f;
  hud->pulseRate = 0.0f;
  hud->plateIconLaunched = false;
  roundFinishing = false;
  finishFadeStarted = false;
  feverActive = false;
  return 0;
}

int32_t HudStageFor(float level, int32_t stage) {
  if (level > kStageTwoLevel) return 2;
  if (level > kStageOneLevel && level < kStageTwoLevel) return 1;
  if (level < kStageOneLevel) return 0;
  // Exactly on a boundary: the stage stays.
  return stage;
}

Vec2 HudRestingOffset(int32_t column, int32_t expression) {
  return expression == kFaceFloating ? kRestFloating[column] : kRestOther[column];
}

void HudUpdate(GameHud* hud) {
  // 1. The pulse swells and fades while the gauge is above three quarters.
  if (gaugeLevel > kPulseShare * hud->gaugeMax) {
    hud->pulse.size.x += hud->pulseRate * 3.5f;
    hud->pulse.color.a -= hud->pulseRate / 50.0f;
    hud->pulseRate += 0.05f;
    if (hud->pulse.color.a < 0.0f) {
      hud->pulse.size.x = kFrameWidth;
      hud->pulse.color.a = 1.0f;
      hud->pulseRate = 0.0f;
    }
  } else {
    hud->pulse.size.x = hud->frame.size.x;
    hud->pulse.color.a = 1.0f;
  }

  // 2-4. Stage, the floor of the level, and the frame's colour.
  gaugeStage = HudStageFor(gaugeLevel, gaugeStage);
  if (gaugeLevel < 0.0f) gaugeLevel = kLowestLevel;
  if (!feverActive && !boardChanging) hud->frame.color = kStageColors[gaugeStage];

  // 5-6. One icon per 6-combo; a tap makes the next 6-combo launch another.
  if (comboCount == kIconCombo) {
    if (!hud->plateIconLaunched) {
      PlateIconLaunch(&plateIcon, customer.character.sprite.pos.x, kIconStartX, kIconStartY);
    }
    hud->plateIconLaunched = true;
  }
  if (plateIcon.consumed) {
    hud->plateIconLaunched = false;
    plateIcon.consumed = false;
  }

  // 7. Back down at rest: the fever is over.
  if (customer.character.sprite.pos.y >= 794.0f) feverActive = false;

  // 8.
  CustomerUpdate(&customer);
  NumberDisplayUpdate(&hud->scoreDisplay);
  PlateIconUpdate(&plateIcon);

  // 9-11. The grey bar shows the true level, the white one follows slowly.
  hud->targetBar.size.y = gaugeLevel;
  hud->targetBar.uv[3] = gaugeLevel / hud->gaugeMax;
  if (gaugeLevel > hud->shownLevel) {
    hud->shownLevel += kSmoothingStep;
  } else if (gaugeLevel < hud->shownLevel) {
    hud->shownLevel -= kSmoothingStep;
  }
  if (gaugeLevel > hud->gaugeMax) gaugeLevel = hud->gaugeMax;
  if (gaugeLevel != hud->shownLevel) {
    hud->levelBar.size.y = hud->shownLevel;
    hud->levelBar.uv[3] = hud->shownLevel / hud->gaugeMax;
  }

  // 12. The full customer starts its last animation once its face is neutral.
  if (!roundFinishing && customer.customerFull && customer.expression == kFaceNeutral) {
    customer.character.column = 0.0f;
    roundFinishing = true;
  }
  // 13.
  if (gaugeLevel >= hud->gaugeMax) {
    gaugeLevel = hud->gaugeMax;
    customer.customerFull = true;
  }
  // 14. After the last animation has reached its final column, fade out and
  // ask for the clear scene (the title after the title's demo); the customer holds the column-2 picture meanwhile.
  // The round's score is final here: the best is recorded now, so a program
  // ended during the fade still keeps it.
  if (roundFinishing && !finishFadeStarted && customer.character.column == 3.0f) {
    finishFadeStarted = true;
    // A replayed round is not the player's: it records no best.
    if (!RoundRecordIsReplay()) BestScoreRecord(score);
    TestEvent("round end %d", static_cast<int>(score));
  }
  if (finishFadeStarted) {
    if (FadeGetAlpha() >= kFadeNearlyBlack) RequestScene(RoundRecordNextScene());
    if (!FadeIsActive()) FadeStart(0.0f, kFinishFadeStep, 1);
    customer.character.column = 2.0f;
  }

  // 15. The resting icon bobs with the customer.
  if (plateIcon.arrived) {
    const float column = customer.character.column;
    if (column >= 0.0f && column < 4.0f) {
      const Vec2 offset = HudRestingOffset(static_cast<int32_t>(column), customer.expression);
      plateIcon.icon.pos = Vec2Add(customer.character.sprite.pos, offset);
    }
  }
}

void HudDraw(GameHud* hud) {
  if (gaugeLevel != hud->shownLevel) DrawSpriteTopLeft(&hud->targetBar, &hud->gaugeTexture);
  DrawSpriteTopLeft(&hud->levelBar, &hud->gaugeTexture);
  DrawSpriteBottomLeft(&hud->frame, &hud->gaugeTexture);
  if (gaugeLevel > kPulseShare * hud->gaugeMax) DrawSprite(&hud->pulse, &hud->gaugeTexture);
  CustomerDraw(&customer);
  NumberDisplayDraw(&hud->scoreDisplay);
  for (int i = 0; i < kSweetSlotCount; ++i) SweetDraw(&sweetSlots[i]);
  PlateIconDraw(&plateIcon);
}

void HudRelease(GameHud* hud) {
  DeleteTexture(&hud->gaugeTexture);
  CustomerRelease(&customer);
  NumberDisplayRelease(&hud->scoreDisplay);
  PlateIconRelease(&plateIcon);
}
