// Pad play in the real round: a virtual controller attached in the process
// (SDL's virtual joystick, mapped as a game controller) goes through the
// engine's event pump and input hand-over into the ticks: a pick drag with
// the d-pad and the stick, the plate icon's tap, pause and resume, and a pad
// pulled out mid-round with the button still held.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

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

bool Playing() { return !pauseMenu.paused && !pauseMenu.animating; }

void TickUntil(bool (*done)(), int32_t limit = 200) {
  for (int32_t i = 0; i < limit && !done(); ++i) Tick();
}

}  // namespace

TEST(KeyPlayTest, HeldDirectionStepsAtOnceThenRepeatsAfterADelay) {
  int32_t steps = 0, firstRepeat = 0;
  for (int32_t held = 1; held <= 60; ++held) {
    if (!KeyRepeatStep(held)) continue;
    steps += 1;
    if (steps == 2) firstRepeat = held;
  }
  EXPECT_EQ(firstRepeat, 24);
  EXPECT_EQ(steps, 8);
  EXPECT_FALSE(KeyRepeatStep(0));
  // The cursor stops at the board's edges and never wraps to the next row.
  EXPECT_EQ(BoardCursorStep(0, -1, 0), 0);
  EXPECT_EQ(BoardCursorStep(0, 0, -1), 0);
  EXPECT_EQ(BoardCursorStep(5, 1, 0), 5);
  EXPECT_EQ(BoardCursorStep(6, -1, 0), 6);
  EXPECT_EQ(BoardCursorStep(29, 1, 1), 29);
  EXPECT_EQ(BoardCursorStep(14, 1, -1), 9);
}

TEST(KeyPlayTest, VirtualPadPlaysARoundAndPausesWhenPulledOut) {
  // The window of a test never has the focus: let the pad's events in anyway.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  play::Start();
  KeyPlayInit(&keyPlay);
  padIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                       SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(padIndex, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(padIndex));
  pad = SDL_JoystickOpen(padIndex);
  ASSERT_NE(pad, nullptr);
  sceneChanger = new SceneChanger();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  TickUntil([] { return Playing() && selectionEnabled; });
  ASSERT_TRUE(Playing() && selectionEnabled);
  EXPECT_FALSE(keyPlay.active);

  // The south button picks the top-left block; the d-pad drags right.
  Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_TRUE(keyPlay.active);
  EXPECT_EQ(board.grid.chainLength, 1);
  EXPECT_TRUE(board.grid.blocks[0].selected);
  Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  EXPECT_EQ(boardCursor.cell, 1);
  EXPECT_TRUE(board.grid.blocks[1].selected);
  // The stick down: one step per push, however long it is held.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  Tick(40);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  Tick();
  EXPECT_EQ(boardCursor.cell, 7);
  EXPECT_TRUE(board.grid.blocks[7].selected);
  EXPECT_EQ(board.grid.chainLength, 3);
  // Letting go lifts the finger as a mouse button would.
  Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(touchSlots[0].down, 0);
  Tick(120);

  // The west button taps the icon resting on the customer.
  TickUntil([] { return Playing() && !boardChanging; });
  plateIcon.active = true;
  plateIcon.arrived = true;
  gaugeLevel = 500.0f;
  Button(SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_TRUE(plateIcon.consumed);
  EXPECT_FALSE(plateIcon.active);
  EXPECT_LT(gaugeLevel, 401.0f);
  Button(SDL_CONTROLLER_BUTTON_X, false);

  // Start pauses, the east button resumes.
  Button(SDL_CONTROLLER_BUTTON_START, true);
  Button(SDL_CONTROLLER_BUTTON_START, false);
  TickUntil([] { return !pauseMenu.animating; });
  EXPECT_TRUE(pauseMenu.paused);
  Button(SDL_CONTROLLER_BUTTON_B, true);
  Button(SDL_CONTROLLER_BUTTON_B, false);
  TickUntil([] { return !pauseMenu.animating; });
  EXPECT_FALSE(pauseMenu.paused);

  // Pulled out with the south button held: the key is let go, the round pauses.
  Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(IsKeyDown(kKeyPadSouth), 1);
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
