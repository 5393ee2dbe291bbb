// The game scene's top layer: the start-of-round overlay with its spinning
// block, the pause button, the panel that unfolds over the frozen game with
// resume and quit, and the fade back to the title.
#include "game/hud/pause_menu.h"

#include "engine/app/app.h"
#include "game/scene/contents_picture.h"
#include "game/scene/fade.h"
#include "game/scene/key_play.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "game/scene/sound_cue.h"
#include "game/scene/sprite_setup.h"

namespace {

constexpr float kPanelWidth = 1024.0f;
constexpr float kPanelHeight = 576.0f;
constexpr float kPanelStepX = 51.0f;
constexpr float kPanelStepY = 28.0f;
constexpr float kIntroDepth = 0.1f;
constexpr int32_t kIntroLength = 20;
constexpr int32_t kSpinInterval = 5;
constexpr float kSpinStep = 13.0f;
constexpr float kButtonCell = 0.25f;
constexpr float kFadeNearlyBlack = 0.98f;
// The frame stands this much wider than the button it frames.
constexpr float kChosenFrameMargin = 16.0f;
// The setting buttons: a row on the panel's lower edge between quit and resume.
constexpr Vec2 kSettingsFirst = {360, 496};
constexpr float kSettingsSize = 80.0f;
constexpr float kSettingsSpacing = 100.0f;

constexpr Color kWhite = {1, 1, 1, 1};

bool Contains(Sprite* s, Vec2 point) {
  Bounds box;
  SpriteBounds(s, &box);
  return PointInBounds(point, box) != 0;
}

// The pause button's action: taken only while the game runs and the panel
// stands still. True when the menu began to open.
bool Pause(PauseMenu* m) {
  if (m->animating || m->paused) return false;
  m->paused = true;
  m->animating = true;
  // Opening on resume: a second press of the finger key goes back to play.
  m->chosen = kChooseResume;
  SoundCue::Play(&m->pageSound);
  return true;
}

// The resume button's action: taken only while the menu stands open.
void Resume(PauseMenu* m) {
  if (m->animating || !m->paused) return;
  m->paused = false;
  m->animating = true;
  SoundCue::Play(&m->pageSound);
}

// The chosen button's sprite.
Sprite* ChosenButton(PauseMenu* m) {
  if (m->chosen == kChooseQuit) return &m->quitButton;
  if (m->chosen == kChooseResume) return &m->resumeButton;
  return &m->settings.buttons[m->chosen - kChooseSettings];
}

// The choice one step left or right along the row on the panel's edge: quit,
// the setting buttons shown, resume; the ends stay where they are.
int32_t StepChoice(const PauseMenu* m, int32_t step) {
  int32_t row[kSettingButtonCount + 2];
  int32_t count = 0;
  row[count++] = kChooseQuit;
  for (int32_t i = 0; i < m->settings.shown; ++i) row[count++] = kChooseSettings + i;
  row[count++] = kChooseResume;
  int32_t at = 0;
  while (at < count - 1 && row[at] != m->chosen) at += 1;
  at += step;
  return row[at < 0 ? 0 : at >= count ? count - 1 : at];
}

}  // namespace

PauseMenu pauseMenu;

int32_t PauseMenuInit(PauseMenu* m) {
  FadeStart(1.0f, -0.02f, 1);
  m->paused = true;
  m->animating = true;
  m->intro = true;
  m->growNext = true;
  m->panelFull = false;
  m->quitting = false;
  m->introTicks = 0;
  // A loss before the round counts only while the player is still away (he
  // switched away while the round loaded): the menu then opens as soon as
  // the pause button would be taken, as for a loss during the round.
  m->focusLossesSeen = GetFocusLossCount();
  m->padRemovalsSeen = GetPadRemovalCount();
  m->awayPending = IsWindowAway();
  m->chosen = kChooseResume;

  if (LoadContentsPicture(&m->panelTexture, "poseback.png") != 0) return 1;
  SetSprite(&m->panel, Vec2{0, 0}, Vec2{kPanelWidth, kPanelHeight}, kWhite, 0, 0, 1, 1, 0, kIntroDepth);

  if (LoadContentsPicture(&m->buttonTexture, "botton.png") != 0) return 1;
  SetSprite(&m->pauseButton, Vec2{55, 40}, Vec2{64, 64}, kWhite, 0, 0, kButtonCell, 1, 0);
  SetSprite(&m->quitButton, Vec2{210, 496}, Vec2{96, 96}, kWhite, 2 * kButtonCell, 0, kButtonCell, 1, 0,
            kIntroDepth);
  SetSprite(&m->resumeButton, Vec2{m->quitButton.pos.x + 600, m->quitButton.pos.y}, m->quitButton.size, kWhite,
            kButtonCell, 0, kButtonCell, 1, 0, kIntroDepth);

  if (LoadContentsPicture(&m->labelTexture, "loading.png") != 0) return 1;
  SetSprite(&m->label, Vec2{732, 514}, Vec2{256, 64}, kWhite, 0, 0, 1, 1, 10.0f, kIntroDepth);

  if (LoadContentsPicture(&m->blockTexture, "block.png") != 0) return 1;
  // The spinner keeps turning from where the last round's overlay left it.
  const float spinnerAngle = m->spinner.angle;
  SetSprite(&m->spinner, Vec2{m->label.pos.x - m->label.size.x / 2 - 32.0f / 2, m->label.pos.y - 23},
            Vec2{32, 32}, kWhite, loadingBlockCell.x, loadingBlockCell.y, 0.25f, 0.25f, spinnerAngle, kIntroDepth);

  SoundCue::LoadSe(&m->pageSound, "SE_pageFlip.ogg");
  // Last: without these pictures the menu still works, only its setting
  // buttons or the keys' choice go unseen.
  const int32_t settingsMissing = SettingButtonsInit(&m->settings, kSettingsFirst, kSettingsSize,
                                                     kSettingsSpacing, kSettingButtonCount);
  SetSprite(&m->chosenFrame, Vec2{0, 0}, Vec2{0, 0}, kWhite, 0, 0, 1, 1, 0);
  if (LoadContentsPicture(&m->cursorTexture, "cursor.png") != 0) return 1;
  return settingsMissing;
}

bool PauseMenuStepPanel(Vec2* size, bool growNext) {
  if (growNext) {
    if (size->x < kPanelWidth) {
      size->x += kPanelStepX;
    } else {
      size->x = kPanelWidth;
    }
    if (size->y < kPanelHeight) {
      size->y += kPanelStepY;
      return false;
    }
    *size = MakeVec2(kPanelWidth, kPanelHeight);
    return true;
  }
  if (size->x >= 0.0f) size->x -= kPanelStepX;
  if (size->y >= 0.0f) {
    size->y -= kPanelStepY;
    return false;
  }
  return true;
}

void PauseMenuUpdate(PauseMenu* m) {
  if (m->quitting) {
    if (FadeGetAlpha() >= kFadeNearlyBlack) RequestScene(kSceneTitle);
    if (!FadeIsActive()) FadeStart(0.0f, 0.02f, 1);
    return;
  }

  const uint32_t focusLosses = GetFocusLossCount();
  if (focusLosses != m->focusLossesSeen) m->awayPending = true;
  m->focusLossesSeen = focusLosses;
  // A pad pulled out mid-round leaves its player without controls.
  const uint32_t padRemovals = GetPadRemovalCount();
  if (padRemovals != m->padRemovalsSeen) m->awayPending = true;
  m->padRemovalsSeen = padRemovals;

  TouchSlot& finger = touchSlots[0];
  if (m->intro) {
    m->introTicks += 1;
    if (m->introTicks % kSpinInterval == 0) m->spinner.angle += kSpinStep;
    if (m->introTicks > kIntroLength) {
      SoundCue::Play(&m->pageSound);
      m->panel.depth = 0.0f;
      m->quitButton.depth = 0.0f;
      m->resumeButton.depth = 0.0f;
      m->label.depth = 0.0f;
      m->spinner.depth = 0.0f;
      m->intro = false;
      m->paused = false;
      m->animating = true;
    }
  } else {
    // Escape (or Start) stands for the button that the open or closed menu
    // shows.
    if (KeyPlayPausePressed()) {
      if (m->paused) {
        Resume(m);
      } else {
        Pause(m);
      }
    }
    if (m->paused && !m->animating) {
      if (KeyPlayBackPressed()) Resume(m);
      if (keyPlay.stepX != 0) m->chosen = StepChoice(m, keyPlay.stepX);
      // The finger key presses the chosen button as a finger would.
      KeyPlayAim(&keyPlay, ChosenButton(m)->pos);
    }
    if (finger.down == 1 && finger.wasDown == 0) {
      const Vec2 at = MakeVec2(finger.x, finger.y);
      if (Contains(&m->pauseButton, at)) {
        finger.wasDown = 1;
        Pause(m);
      } else if (Contains(&m->resumeButton, at)) {
        finger.wasDown = 1;
        Resume(m);
      } else if (Contains(&m->quitButton, at)) {
        finger.wasDown = 1;
        if (m->paused) m->quitting = true;
      } else if (m->panelFull && !m->quitting) {
        // The setting buttons take presses only while they show.
        const int32_t button = SettingButtonAt(&m->settings, at);
        if (button >= 0) {
          finger.wasDown = 1;
          // A replay's presses change none of the player's settings.
          if (!RoundRecordIsReplay()) SettingButtonPress(static_cast<SettingButton>(button));
        }
      }
    }
    // A player who left the window finds the round paused on coming back;
    // while the panel moves, the menu opens once it may. A round already
    // decided has nothing to hold: it goes on to the clear scene.
    if (roundFinishing) m->awayPending = false;
    if (m->awayPending && (m->paused || Pause(m))) m->awayPending = false;
  }

  if (m->animating && PauseMenuStepPanel(&m->panel.size, m->growNext)) {
    m->animating = false;
    m->growNext = !m->growNext;
  }

  const bool full = m->panel.size.x == kPanelWidth && m->panel.size.y == kPanelHeight;
  if (!full) {
    m->panelFull = false;
  } else if (!m->intro) {
    m->panelFull = true;
  }
}

void PauseMenuDraw(PauseMenu* m) {
  DrawSprite(&m->pauseButton, &m->buttonTexture);
  if (m->paused || m->animating) DrawSpriteTopLeft(&m->panel, &m->panelTexture);
  if (m->panelFull) {
    DrawSprite(&m->quitButton, &m->buttonTexture);
    DrawSprite(&m->resumeButton, &m->buttonTexture);
    SettingButtonsDraw(&m->settings);
    // Without its picture the frame would be a black square over the button.
    if (keyPlay.active && m->paused && !m->quitting && m->cursorTexture != 0) {
      const Sprite* chosen = ChosenButton(m);
      m->chosenFrame.pos = chosen->pos;
      m->chosenFrame.size = MakeVec2(chosen->size.x + kChosenFrameMargin, chosen->size.y + kChosenFrameMargin);
      DrawSprite(&m->chosenFrame, &m->cursorTexture);
    }
  }
  if (m->intro) {
    DrawSprite(&m->label, &m->labelTexture);
    DrawSprite(&m->spinner, &m->blockTexture);
  }
}

void PauseMenuRelease(PauseMenu* m) {
  DeleteTexture(&m->panelTexture);
  DeleteTexture(&m->buttonTexture);
  DeleteTexture(&m->labelTexture);
  DeleteTexture(&m->blockTexture);
  DeleteTexture(&m->cursorTexture);
  SettingButtonsRelease(&m->settings);
  SoundCue::Release(&m->pageSound);
}
