// Pad play in the real round: a virtual controller attached in the process
// (SDL's virtual joystick, mapped as a game controller) goes through the
// engine's event pump and input hand-over into the ticks: a pick drag with
// the d-pad and the stick, the plate icon's tap, pause and resume, and a pad
// pulled out mid-round with the button still held.
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/app/app.h"
#include "engine/app/platform.h"
#include "game/field/board.h"
#include "game/field/board_cursor.h"
#include "game/hud/pause_menu.h"
#include "game/hud/plate_icon.h"
#include "game/scene/fade.h"
#include "game/scene/key_play.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "support/game/play_harness.h"

namespace {

SDL_Joystick* pad = nullptr;
int padIndex = -1;

// One tick as GameTick runs it, after the events a frame would pump.
void Tick(int32_t ticks = 1) {
  for (int32_t i = 0; i < ticks; ++i) {
    PlatformPumpEvents();
    play::RunTick([] {
      KeyPlayUpdate(&keyPlay);
      sceneChanger->Update();
      if (FadeIsActive()) FadeUpdate();
    });
  }
}

void Button(SDL_GameControllerButton button, bool down) {
  SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
  Tick();
}

void Tap(SDL_GameControllerButton button) {
  Button(button, true);
  Button(button, false);
}

void TickUntil(bool (*done)()) {
  for (int32_t i = 0; i < 200 && !done(); ++i) Tick();
}

}  // namespace

TEST(KeyPlayTest, HeldDirectionRepeatsAfterADelayAndTheCursorNeverLeavesTheBoard) {
  int32_t steps = 0;
  for (int32_t held = 0; held <= 60; ++held) steps += KeyRepeatStep(held) ? 1 : 0;
  EXPECT_EQ(steps, 8);
  const int32_t cases[][4] = {{0, -1, 0, 0}, {0, 0, -1, 0}, {5, 1, 0, 5}, {6, -1, 0, 6}, {29, 1, 1, 29}, {14, 1, -1, 9}};
  for (const auto& c : cases) EXPECT_EQ(BoardCursorStep(c[0], c[1], c[2]), c[3]) << c[0];
}

TEST(KeyPlayTest, VirtualPadPlaysARoundAndPausesWhenPulledOut) {
  // The window of a test never has the focus: let the pad's events in anyway.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  play::Start();
  // The suite's programs share one X server: another test's window taking
  // the focus would pause this round. Window events are not this test's.
  SDL_EventState(SDL_WINDOWEVENT, SDL_IGNORE);
  InputFocusGained();
  KeyPlayInit(&keyPlay);
  padIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                       SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_TRUE(padIndex >= 0 && SDL_IsGameController(padIndex)) << SDL_GetError();
  pad = SDL_JoystickOpen(padIndex);
  sceneChanger = new SceneChanger();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  TickUntil([] { return !pauseMenu.paused && !pauseMenu.animating && selectionEnabled; });
  EXPECT_FALSE(keyPlay.active);

  // South picks the top-left block, the d-pad drags right, the stick down
  // (one step however long it is held); letting go lifts the finger.
  Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_TRUE(keyPlay.active && board.grid.blocks[0].selected);
  Tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  Tick(40);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  Tick();
  EXPECT_EQ(boardCursor.cell, 7);
  EXPECT_EQ(board.grid.chainLength, 3);
  EXPECT_TRUE(board.grid.blocks[1].selected && board.grid.blocks[7].selected);
  Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(touchSlots[0].down, 0);

  // West taps the icon resting on the customer.
  TickUntil([] { return !boardChanging; });
  plateIcon.active = plateIcon.arrived = true;
  gaugeLevel = 500.0f;
  Button(SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_TRUE(plateIcon.consumed && !plateIcon.active);
  EXPECT_LT(gaugeLevel, 401.0f);
  Button(SDL_CONTROLLER_BUTTON_X, false);

  // Start pauses, east resumes.
  Tap(SDL_CONTROLLER_BUTTON_START);
  TickUntil([] { return !pauseMenu.animating; });
  EXPECT_TRUE(pauseMenu.paused);
  Tap(SDL_CONTROLLER_BUTTON_B);
  TickUntil([] { return !pauseMenu.animating; });
  EXPECT_FALSE(pauseMenu.paused);

  // Pulled out with south held: the key is let go and the round pauses.
  Button(SDL_CONTROLLER_BUTTON_A, true);
  const uint32_t removals = GetPadRemovalCount();
  SDL_JoystickClose(pad);
  ASSERT_EQ(SDL_JoystickDetachVirtual(padIndex), 0);
  Tick();
  EXPECT_EQ(GetPadRemovalCount(), removals + 1);
  EXPECT_EQ(IsKeyDown(kKeyPadSouth), 0);
  TickUntil([] { return !pauseMenu.animating; });
  EXPECT_TRUE(pauseMenu.paused);
  sceneChanger->Release();
  delete sceneChanger;
  sceneChanger = nullptr;
}
