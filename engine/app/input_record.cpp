// Recorded input: a tick's input captured after sampling, and the playback
// that answers the game's input reads from fed records instead of the event
// pump's raw state. The fed record is held in atomics: the tick thread feeds
// and reads it, and the main thread may read it (a frame drawing the cursor).
#include <atomic>
#include <cmath>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

const int32_t kRecordedKeys[kRecordedKeyCount] = {
    kKeyLeft, kKeyUp, kKeyRight, kKeyDown, 'A', 'W', 'D', 'S',
    kKeySpace, kKeyReturn, kKeyEscape, kKeyTab,
    kKeyPadUp, kKeyPadDown, kKeyPadLeft, kKeyPadRight, kKeyPadSouth, kKeyPadEast, kKeyPadWest, kKeyPadStart,
    kKeyStickUp, kKeyStickDown, kKeyStickLeft, kKeyStickRight};

namespace {

struct Playback {
  std::atomic<bool> on{false};
  // flags in bits 0-7, x in 8-23, y in 24-39 (as fed).
  std::atomic<uint64_t> point{0};
  std::atomic<uint32_t> keys{0};
  std::atomic<uint32_t> focusLosses{0};
  std::atomic<uint32_t> padRemovals{0};
};

// What the last capture saw, to report losses and removals once (tick thread).
struct CaptureMarks {
  uint32_t focusLosses = 0;
  uint32_t padRemovals = 0;
};

Playback playback;
CaptureMarks marks;

int RecordedKeyBit(int32_t virtualKey) {
  for (int i = 0; i < kRecordedKeyCount; ++i) {
    if (kRecordedKeys[i] == virtualKey) return i;
  }
  return -1;
}

int16_t Steps(float v) { return static_cast<int16_t>(std::lround(TouchStep(v) * kTouchSteps)); }

uint64_t PackRecord(const TickInput& input) {
  return uint64_t{input.flags} | uint64_t{static_cast<uint16_t>(input.x)} << 8 |
         uint64_t{static_cast<uint16_t>(input.y)} << 24;
}

}  // namespace

TickInput CaptureTickInput() {
  TickInput input{};
  const TouchSlot& finger = touchSlots[0];
  if (finger.down == 1) input.flags |= kTickPointerDown;
  input.x = Steps(finger.x);
  input.y = Steps(finger.y);
  for (int i = 0; i < kRecordedKeyCount; ++i) {
    if (KeySampledDown(kRecordedKeys[i])) input.keys |= 1u << i;
  }
  const uint32_t losses = GetFocusLossCount();
  const uint32_t removals = GetPadRemovalCount();
  if (losses != marks.focusLosses) input.flags |= kTickFocusLost;
  if (removals != marks.padRemovals) input.flags |= kTickPadRemoved;
  marks.focusLosses = losses;
  marks.padRemovals = removals;
  if (IsWindowAway()) input.flags |= kTickWindowAway;
  return input;
}

void SetInputPlayback(bool on) {
  playback.point.store(0);
  playback.keys.store(0);
  playback.on.store(on);
  // Captures count from the source the game reads now.
  marks.focusLosses = GetFocusLossCount();
  marks.padRemovals = GetPadRemovalCount();
}

bool IsInputPlayback() { return playback.on.load(std::memory_order_relaxed); }

void FeedTickInput(const TickInput& input) {
  if (input.flags & kTickFocusLost) playback.focusLosses.fetch_add(1);
  if (input.flags & kTickPadRemoved) playback.padRemovals.fetch_add(1);
  playback.keys.store(input.keys);
  playback.point.store(PackRecord(input));
}

void PrimeTickInput(const TickInput& input) {
  playback.keys.store(input.keys);
  playback.point.store(PackRecord(input));
  TouchSlot& finger = touchSlots[0];
  finger.down = finger.previousDown = (input.flags & kTickPointerDown) ? 1 : 0;
  finger.wasDown = static_cast<uint8_t>(finger.down);
  finger.x = finger.lastX = static_cast<float>(input.x) / kTouchSteps;
  finger.y = finger.lastY = static_cast<float>(input.y) / kTouchSteps;
  for (int i = 0; i < kRecordedKeyCount; ++i) SetKeySampledDown(kRecordedKeys[i], (input.keys >> i) & 1u);
  marks.focusLosses = GetFocusLossCount();
  marks.padRemovals = GetPadRemovalCount();
}

int32_t PlaybackPoint(int32_t index, float* x, float* y) {
  if (index != 0) {
    *x = 0.0f;
    *y = 0.0f;
    return 0;
  }
  const uint64_t packed = playback.point.load();
  *x = static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(packed >> 8))) / kTouchSteps;
  *y = static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(packed >> 24))) / kTouchSteps;
  return (packed & kTickPointerDown) ? 1 : 0;
}

int32_t PlaybackKeyDown(int32_t virtualKey) {
  const int bit = RecordedKeyBit(virtualKey);
  return bit >= 0 && ((playback.keys.load() >> bit) & 1u) ? 1 : 0;
}

uint32_t PlaybackFocusLossCount() { return playback.focusLosses.load(); }

bool PlaybackWindowAway() { return (playback.point.load() & kTickWindowAway) != 0; }

uint32_t PlaybackPadRemovalCount() { return playback.padRemovals.load(); }
