// Game controllers as keys: each pad's held buttons and stick directions are
// kept apart, and the key events posted are those of all pads together, so a
// second pad, or one pulled out while a button is held, never leaves a key
// stuck down or lifts a key another pad still holds.
#include <atomic>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

namespace {

constexpr int kPadCount = 8;
constexpr int kPadKeyCount = kKeyStickRight - kKeyPadUp + 1;
// The stick counts as pushed past the first value and as let go under the
// second; the gap keeps a stick resting near the edge from stepping twice.
constexpr float kStickPush = 0.5f;
constexpr float kStickRelease = 0.3f;

struct PadSlot {
  bool used;
  int32_t id;
  uint16_t held;
};

constexpr int32_t kNoPad = -1;

// Main thread only.
struct PadState {
  PadSlot slots[kPadCount];
  // The keys as last posted: the union of every pad's held bits.
  uint16_t posted;
  // The pad that gave the last input, kNoPad once the mouse or the keyboard
  // has given some since (or before any pad did).
  int32_t playing = kNoPad;
};

PadState pads;
std::atomic<uint32_t> removalCount{0};

uint16_t KeyBit(int32_t virtualKey) {
  const int32_t bit = virtualKey - kKeyPadUp;
  return bit >= 0 && bit < kPadKeyCount ? static_cast<uint16_t>(1u << bit) : 0;
}

PadSlot* FindPad(int32_t id, bool add) {
  for (PadSlot& slot : pads.slots) {
    if (slot.used && slot.id == id) return &slot;
  }
  if (!add) return nullptr;
  for (PadSlot& slot : pads.slots) {
    if (slot.used) continue;
    slot = PadSlot{true, id, 0};
    return &slot;
  }
  return nullptr;
}

void PostChanges() {
  uint16_t all = 0;
  for (const PadSlot& slot : pads.slots) {
    if (slot.used) all = static_cast<uint16_t>(all | slot.held);
  }
  const uint16_t changed = static_cast<uint16_t>(all ^ pads.posted);
  pads.posted = all;
  for (int32_t bit = 0; bit < kPadKeyCount; ++bit) {
    if (!(changed & (1u << bit))) continue;
    InputEvent event{InputEventType::kKey, kKeyPadUp + bit, (all >> bit) & 1, 0.0f, 0.0f};
    InputPostEvent(event);
  }
}

// One axis of the stick as two keys, with the hysteresis above.
uint16_t AxisBits(uint16_t held, float value, int32_t negativeKey, int32_t positiveKey) {
  const uint16_t negative = KeyBit(negativeKey);
  const uint16_t positive = KeyBit(positiveKey);
  uint16_t bits = held & (negative | positive);
  if (value <= -kStickPush) bits = negative;
  if (value >= kStickPush) bits = positive;
  if (value > -kStickRelease && value < kStickRelease) bits = 0;
  return bits;
}

}  // namespace

void InputPadButton(int32_t pad, int32_t virtualKey, bool down) {
  const uint16_t bit = KeyBit(virtualKey);
  PadSlot* slot = FindPad(pad, down);
  if (bit == 0 || slot == nullptr) return;
  slot->held = static_cast<uint16_t>(down ? (slot->held | bit) : (slot->held & ~bit));
  if (down) pads.playing = pad;
  PostChanges();
}

void InputPadStick(int32_t pad, float x, float y) {
  PadSlot* slot = FindPad(pad, true);
  if (slot == nullptr) return;
  const uint16_t stick = static_cast<uint16_t>(KeyBit(kKeyStickUp) | KeyBit(kKeyStickDown) |
                                               KeyBit(kKeyStickLeft) | KeyBit(kKeyStickRight));
  const uint16_t bits = static_cast<uint16_t>(AxisBits(slot->held, x, kKeyStickLeft, kKeyStickRight) |
                                              AxisBits(slot->held, y, kKeyStickUp, kKeyStickDown));
  if ((bits & ~slot->held) != 0) pads.playing = pad;
  slot->held = static_cast<uint16_t>((slot->held & ~stick) | bits);
  PostChanges();
}

void InputPadRemoved(int32_t pad) {
  PadSlot* slot = FindPad(pad, false);
  if (slot != nullptr) {
    slot->used = false;
    slot->held = 0;
    PostChanges();
  }
  // Only the pad in play: one asleep or never used while the player uses the
  // mouse or another pad does not stop the round.
  if (pad != pads.playing) return;
  pads.playing = kNoPad;
  removalCount.fetch_add(1);
}

void InputPadsOtherDeviceUsed() { pads.playing = kNoPad; }

uint32_t GetPadRemovalCount() {
  return IsInputPlayback() ? PlaybackPadRemovalCount() : removalCount.load();
}
