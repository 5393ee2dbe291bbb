// Play without a pointer: which input was used last, the cursor's steps with
// their repeat, and the finger that the finger key puts on touch slot 0.
#include "game/scene/key_play.h"

#include "engine/app/app.h"

namespace {

// The repeat of a held direction: the first step at once, the next after
// 0.3 s, then ten a second, as in most menus.
constexpr int32_t kRepeatDelayTicks = 18;
constexpr int32_t kRepeatIntervalTicks = 6;

// Each direction: the keys that step and repeat, and the stick's key, which
// steps once per push.
struct Direction {
  int32_t keys[3];
  int32_t stickKey;
  int32_t dx, dy;
};
constexpr Direction kDirections[4] = {
    {{kKeyLeft, 'A', kKeyPadLeft}, kKeyStickLeft, -1, 0},
    {{kKeyUp, 'W', kKeyPadUp}, kKeyStickUp, 0, -1},
    {{kKeyRight, 'D', kKeyPadRight}, kKeyStickRight, 1, 0},
    {{kKeyDown, 'S', kKeyPadDown}, kKeyStickDown, 0, 1},
};
constexpr int32_t kFingerKeys[] = {kKeySpace, kKeyReturn, kKeyPadSouth};
// Keys that count as playing with keys without doing anything here.
constexpr int32_t kOtherKeys[] = {kKeyTab, kKeyEscape, kKeyPadWest, kKeyPadEast, kKeyPadStart};

bool AnyPressed(const int32_t* keys, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (IsKeyPressed(keys[i])) return true;
  }
  return false;
}

bool AnyDown(const int32_t* keys, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (IsKeyDown(keys[i])) return true;
  }
  return false;
}

// A key pressed in this tick is held in it even if its release is already
// waiting: the hand-over lets the release through only after this tick.
bool Held(const int32_t* keys, int32_t count) { return AnyPressed(keys, count) || AnyDown(keys, count); }

}  // namespace

KeyPlay keyPlay;

void KeyPlayInit(KeyPlay* k) { KeyPlayStartRound(k, false); }

void KeyPlayStartRound(KeyPlay* k, bool active) {
  *k = KeyPlay{};
  k->active = active;
  const TouchSlot& finger = touchSlots[0];
  k->pointerDown = finger.down;
  k->pointerX = finger.x;
  k->pointerY = finger.y;
}

void KeyPlayUpdate(KeyPlay* k) {
  bool used = false;
  k->stepX = 0;
  k->stepY = 0;
  for (int32_t d = 0; d < 4; ++d) {
    const Direction& dir = kDirections[d];
    const bool stickPush = IsKeyPressed(dir.stickKey) != 0;
    k->heldTicks[d] = Held(dir.keys, 3) ? k->heldTicks[d] + 1 : 0;
    if (stickPush || KeyRepeatStep(k->heldTicks[d])) {
      k->stepX += dir.dx;
      k->stepY += dir.dy;
    }
    used = used || stickPush || AnyPressed(dir.keys, 3);
  }
  k->fingerPressed = AnyPressed(kFingerKeys, 3);
  k->fingerHeld = Held(kFingerKeys, 3);
  used = used || k->fingerPressed || AnyPressed(kOtherKeys, 5);

  // The pointer counts as used when it moves or presses; its own finger
  // then takes over and the cursor hides. Slot 0 holds it as sampled (no
  // key has placed a finger there yet in this tick).
  const TouchSlot& finger = touchSlots[0];
  const float x = finger.x, y = finger.y;
  const int32_t down = finger.down;
  const bool pointerUsed = x != k->pointerX || y != k->pointerY || (down && !k->pointerDown);
  k->pointerX = x;
  k->pointerY = y;
  k->pointerDown = down;
  if (used) k->active = true;
  if (pointerUsed) k->active = false;

  // A mouse button held down keeps the finger its own.
  k->placed = k->active && k->fingerHeld && !down;
  if (k->placed) KeyPlayAim(k, k->aim);
}

void KeyPlayAim(KeyPlay* k, Vec2 at) {
  k->aim = at;
  if (!k->placed) return;
  TouchSlot& finger = touchSlots[0];
  finger.down = 1;
  finger.x = at.x;
  finger.y = at.y;
}

bool KeyPlayBackPressed() { return IsKeyPressed(kKeyPadEast) != 0; }

bool KeyPlayPausePressed() { return IsKeyPressed(kKeyEscape) || IsKeyPressed(kKeyPadStart); }

bool KeyPlayPlateTapPressed() { return IsKeyPressed(kKeyTab) || IsKeyPressed(kKeyPadWest); }

bool KeyRepeatStep(int32_t heldTicks) {
  if (heldTicks == 1) return true;
  return heldTicks > kRepeatDelayTicks && (heldTicks - kRepeatDelayTicks) % kRepeatIntervalTicks == 0;
}
