// Play without a pointer: the arrow keys, W A S D, Space and Enter, Tab and a
// game controller. Tracks whether keys or the pointer were used last (the
// cursor and highlights show only after keys), turns held directions into
// steps that repeat like a menu's, and while the finger key is held puts a
// finger on touch slot 0 at the point the current scene aims it at, so that
// every rule written for a finger serves the keys as well.
// Update runs in the tick right after SampleTouchSlots; all of it is tick
// state, read by draws under the game lock.
#pragma once

#include <cstdint>

#include "engine/render/vector_math.h"

struct KeyPlay {
  // True once a key or a pad button was used, until the mouse moves or a
  // touch lands.
  bool active;
  // The finger key (Space, Enter, the pad's south button): held this tick,
  // and pressed in this tick.
  bool fingerHeld;
  bool fingerPressed;
  // Where the finger lands while held; scenes aim it every tick. placed is
  // true in a tick where the finger key put the finger down.
  Vec2 aim;
  bool placed;
  // This tick's step of the cursor, -1, 0 or 1 on each axis.
  int32_t stepX, stepY;
  // Ticks each direction (left, up, right, down) has been held.
  int32_t heldTicks[4];
  // The pointer as the last tick saw it, to notice it move.
  float pointerX, pointerY;
  int32_t pointerDown;
};

extern KeyPlay keyPlay;

void KeyPlayInit(KeyPlay* k);
// A round's start: nothing held or stepping, keys in play or not, the
// pointer where touch slot 0 has it.
void KeyPlayStartRound(KeyPlay* k, bool active);
void KeyPlayUpdate(KeyPlay* k);
// Aims the finger; one the keys hold down moves there at once.
void KeyPlayAim(KeyPlay* k, Vec2 at);

// Keys other than the finger and the directions, pressed this tick.
bool KeyPlayBackPressed();
bool KeyPlayPausePressed();
bool KeyPlayPlateTapPressed();

// Whether a direction held for heldTicks ticks steps in this tick: at once,
// then after a short delay at a steady rate.
bool KeyRepeatStep(int32_t heldTicks);
