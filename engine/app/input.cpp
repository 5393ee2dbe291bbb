// Touch and key input: the raw state the event pump writes on the main thread,
// its reads (scaled to the virtual screen) and the per-tick bookkeeping of the
// game's touch slots. Raw state is atomic: it is read by the timer thread.
// A point's position is stored before its down flag, which is published with
// release ordering and read first with acquire: a tick that sees a press sees
// it where it happened, never at the position before it.
#include <atomic>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

namespace {

constexpr int kRawPointCount = 5;
constexpr int kKeyCount = 256;
constexpr int32_t kDoubleTapTicks = 20;
constexpr float kPinchThreshold = 5.0f;

constexpr uint16_t kArrowLeftBit = 1;
constexpr uint16_t kArrowUpBit = 2;
constexpr uint16_t kArrowRightBit = 4;
constexpr uint16_t kArrowDownBit = 8;

// What the event pump writes (main thread) and any thread reads.
struct RawInput {
  // x in the low half, y in the high half: one word, so that a read never
  // takes x from one move and y from the one before.
  std::atomic<uint64_t> position[kRawPointCount];
  std::atomic<int32_t> down[kRawPointCount];
  std::atomic<uint16_t> arrowKeyBits;
  std::atomic<uint8_t> keys[kKeyCount];
  std::atomic<int32_t> clientWidth, clientHeight;
  // Set by the game (SetTouchArea) as well as at a reset.
  std::atomic<float> virtualWidth, virtualHeight;
  // Focus losses so far, and true from a loss (or minimising) until the
  // window is back.
  std::atomic<uint32_t> focusLossCount;
  std::atomic<bool> windowAway;
  // Tests only: runs between a point's flag and position reads.
  std::atomic<TouchReadHook> touchReadHook;
};

// The keys as the last two samplings saw them.
struct KeySamples {
  uint8_t down[kKeyCount];
  uint8_t pressed[kKeyCount];
};

// Tick runner only (and InputReset, before ticks start): what one tick's
// sampling leaves for the next.
struct TickSamples {
  KeySamples keys;
  // The distance between points 0 and 1 at the end of the last tick.
  float previousPinchDistance;
};

RawInput raw;
TickSamples tickSamples;

bool ValidIndex(int32_t index) { return index >= 0 && index < kRawPointCount; }

uint64_t PackPosition(float x, float y) {
  uint32_t xBits, yBits;
  std::memcpy(&xBits, &x, sizeof xBits);
  std::memcpy(&yBits, &y, sizeof yBits);
  return static_cast<uint64_t>(yBits) << 32 | xBits;
}

// One point as the pump last published it: the flag first (acquire), then
// the position, which is then at least as new as the press or release seen.
int32_t ReadPoint(int32_t index, float* x, float* y) {
  const int32_t down = raw.down[index].load(std::memory_order_acquire);
  if (TouchReadHook hook = raw.touchReadHook.load(std::memory_order_relaxed)) hook();
  const uint64_t packed = raw.position[index].load(std::memory_order_relaxed);
  const uint32_t xBits = static_cast<uint32_t>(packed);
  const uint32_t yBits = static_cast<uint32_t>(packed >> 32);
  std::memcpy(x, &xBits, sizeof xBits);
  std::memcpy(y, &yBits, sizeof yBits);
  return down;
}

uint16_t ArrowBit(int32_t virtualKey) {
  switch (virtualKey) {
    case kKeyLeft: return kArrowLeftBit;
    case kKeyUp: return kArrowUpBit;
    case kKeyRight: return kArrowRightBit;
    case kKeyDown: return kArrowDownBit;
    default: return 0;
  }
}

}  // namespace

float TouchStep(float v) {
  constexpr float kLimit = 32767.0f / kTouchSteps;
  // NaN (never from a pump, but cheap to rule out) lands on 0.
  if (!(v == v)) return 0.0f;
  const float clamped = v < -kLimit ? -kLimit : v > kLimit ? kLimit : v;
  return std::nearbyint(clamped * kTouchSteps) / kTouchSteps;
}

bool KeySampledDown(int32_t virtualKey) { return tickSamples.keys.down[virtualKey & 0xFF] != 0; }

void SetKeySampledDown(int32_t virtualKey, bool down) {
  tickSamples.keys.down[virtualKey & 0xFF] = down ? 1 : 0;
  tickSamples.keys.pressed[virtualKey & 0xFF] = 0;
}

TouchSlot touchSlots[kTouchSlotCount];
float pinchDistance;
int32_t pinchDirection;

int32_t GetTouch(int32_t index, float* x, float* y) {
  if (!ValidIndex(index)) return 0;
  if (IsInputPlayback()) return PlaybackPoint(index, x, y);
  float rawX = 0.0f, rawY = 0.0f;
  const int32_t down = ReadPoint(index, &rawX, &rawY);
  float clientWidth = static_cast<float>(raw.clientWidth.load(std::memory_order_relaxed));
  float clientHeight = static_cast<float>(raw.clientHeight.load(std::memory_order_relaxed));
  float virtualWidth = raw.virtualWidth.load(std::memory_order_relaxed);
  float virtualHeight = raw.virtualHeight.load(std::memory_order_relaxed);
  // Before a window gives a client size the position is passed unscaled
  // rather than divided by zero.
  if (clientWidth <= 0.0f || clientHeight <= 0.0f || virtualWidth <= 0.0f || virtualHeight <= 0.0f) {
    *x = rawX;
    *y = rawY;
  } else {
    // The picture is letterboxed: a press on a bar lands outside the virtual
    // screen and hits nothing.
    PictureRect picture = FitPicture(clientWidth, clientHeight, virtualWidth, virtualHeight);
    *x = (rawX - picture.x) / picture.width * virtualWidth;
    *y = (rawY - picture.y) / picture.height * virtualHeight;
  }
  return down;
}

int32_t GetTouchRaw(int32_t index, float* x, float* y) {
  if (!ValidIndex(index)) return 0;
  return IsInputPlayback() ? PlaybackPoint(index, x, y) : ReadPoint(index, x, y);
}

int32_t IsTouchDown(int32_t index) {
  float x = 0.0f, y = 0.0f;
  return IsInputPlayback() ? PlaybackPoint(index, &x, &y) : RawTouchDown(index);
}

int32_t RawTouchDown(int32_t index) {
  return ValidIndex(index) ? raw.down[index].load(std::memory_order_acquire) : 0;
}

void SetTouchArea(float virtualWidth, float virtualHeight) {
  raw.virtualWidth.store(virtualWidth);
  raw.virtualHeight.store(virtualHeight);
}

int32_t GetArrowDirection(float* x, float* y) {
  uint16_t bits = raw.arrowKeyBits.load(std::memory_order_relaxed);
  if (IsInputPlayback()) {
    bits = 0;
    for (int32_t key : {kKeyLeft, kKeyUp, kKeyRight, kKeyDown}) {
      if (PlaybackKeyDown(key)) bits |= ArrowBit(key);
    }
  }
  // Right wins over left and down over up when both are held.
  float dx = (bits & kArrowRightBit) ? 1.0f : (bits & kArrowLeftBit) ? -1.0f : 0.0f;
  float dy = (bits & kArrowDownBit) ? 1.0f : (bits & kArrowUpBit) ? -1.0f : 0.0f;
  float length = std::sqrt(dx * dx + dy * dy);
  *x = length > 0.0f ? dx / length : 0.0f;
  *y = length > 0.0f ? dy / length : 0.0f;
  return bits != 0 ? 1 : 0;
}

int32_t IsKeyDown(int32_t virtualKey) {
  return IsInputPlayback() ? PlaybackKeyDown(virtualKey) : RawKeyDown(virtualKey);
}

int32_t RawKeyDown(int32_t virtualKey) {
  return raw.keys[virtualKey & 0xFF].load(std::memory_order_relaxed) ? 1 : 0;
}

int32_t IsKeyPressed(int32_t virtualKey) { return tickSamples.keys.pressed[virtualKey & 0xFF]; }

PictureRect FitPicture(float areaWidth, float areaHeight, float pictureWidth, float pictureHeight) {
  if (areaWidth <= 0.0f || areaHeight <= 0.0f || pictureWidth <= 0.0f || pictureHeight <= 0.0f) {
    return PictureRect{0.0f, 0.0f, areaWidth, areaHeight};
  }
  float scale = std::fmin(areaWidth / pictureWidth, areaHeight / pictureHeight);
  float width = std::round(pictureWidth * scale);
  float height = std::round(pictureHeight * scale);
  return PictureRect{std::floor((areaWidth - width) / 2.0f), std::floor((areaHeight - height) / 2.0f),
                     width, height};
}

float GetVirtualWidth() { return raw.virtualWidth.load(std::memory_order_relaxed); }
float GetVirtualHeight() { return raw.virtualHeight.load(std::memory_order_relaxed); }

uint32_t GetFocusLossCount() {
  return IsInputPlayback() ? PlaybackFocusLossCount() : raw.focusLossCount.load();
}

void SetTouchReadHook(TouchReadHook hook) { raw.touchReadHook.store(hook); }

bool IsWindowAway() { return IsInputPlayback() ? PlaybackWindowAway() : raw.windowAway.load(); }

void InputFocusLost() {
  raw.windowAway.store(true);
  raw.focusLossCount.fetch_add(1);
}

void InputFocusGained() { raw.windowAway.store(false); }

int32_t GetClientWidth() { return raw.clientWidth.load(std::memory_order_relaxed); }
int32_t GetClientHeight() { return raw.clientHeight.load(std::memory_order_relaxed); }

void InputMouseMove(float x, float y) { raw.position[0].store(PackPosition(x, y), std::memory_order_relaxed); }

// Release: the position stored before this flag is seen by every read that
// sees the flag.
void InputMouseButton(int32_t down) { raw.down[0].store(down ? 1 : 0, std::memory_order_release); }

void InputKey(int32_t virtualKey, bool pressed) {
  raw.keys[virtualKey & 0xFF].store(pressed ? 1 : 0, std::memory_order_relaxed);
  uint16_t bit = ArrowBit(virtualKey);
  if (pressed) {
    if (bit) raw.arrowKeyBits.fetch_or(bit);
  } else if (bit) {
    raw.arrowKeyBits.fetch_and(static_cast<uint16_t>(~bit));
  }
}

void InputReset(int32_t clientWidth, int32_t clientHeight) {
  for (int i = 0; i < kRawPointCount; ++i) {
    raw.position[i].store(PackPosition(0.0f, 0.0f));
    raw.down[i].store(0);
  }
  for (auto& key : raw.keys) key.store(0);
  raw.arrowKeyBits.store(0);
  // A window just opened has not been left yet.
  raw.windowAway.store(false);
  raw.clientWidth.store(clientWidth);
  raw.clientHeight.store(clientHeight);
  raw.virtualWidth.store(static_cast<float>(clientWidth));
  raw.virtualHeight.store(static_cast<float>(clientHeight));
  tickSamples.keys = KeySamples{};
  InputClearPending();
}

void InputResize(int32_t clientWidth, int32_t clientHeight) {
  raw.clientWidth.store(clientWidth);
  raw.clientHeight.store(clientHeight);
}

void SampleTouchSlots() {
  // Every read of input in this tick comes after this mark, and the event
  // pump holds the next change back until the tick's end has been marked.
  InputTickBegins();
  for (int key = 0; key < kKeyCount; ++key) {
    const uint8_t down = static_cast<uint8_t>(IsKeyDown(key));
    tickSamples.keys.pressed[key] = down && !tickSamples.keys.down[key] ? 1 : 0;
    tickSamples.keys.down[key] = down;
  }
  for (int i = 0; i < kTouchSlotCount; ++i) {
    TouchSlot& slot = touchSlots[i];
    slot.down = GetTouch(i, &slot.x, &slot.y);
    slot.x = TouchStep(slot.x);
    slot.y = TouchStep(slot.y);
    if (slot.down == 1 && slot.wasDown == 0) {
      slot.startX = slot.x;
      slot.startY = slot.y;
    }
    if (slot.doubleTap == 1) {
      if (slot.down == 0) slot.doubleTap = 0;
    } else if (slot.down == 1 && slot.previousDown == 0) {
      if (slot.ticksSincePress < kDoubleTapTicks) slot.doubleTap = 1;
      slot.ticksSincePress = 0;
    }
    ++slot.ticksSincePress;
  }
}

void RefreshTouchLastPositions() {
  for (TouchSlot& slot : touchSlots) {
    if (slot.x != 0.0f && slot.y != 0.0f) {
      slot.lastX = slot.x;
      slot.lastY = slot.y;
    }
  }
}

void FinishTouchTick() {
  for (TouchSlot& slot : touchSlots) {
    slot.previousDown = slot.down;
    slot.wasDown = slot.down == 1 ? 1 : 0;
  }
  float dx = touchSlots[0].x - touchSlots[1].x;
  float dy = touchSlots[0].y - touchSlots[1].y;
  float distance = std::sqrt(dx * dx + dy * dy);
  pinchDistance = distance;
  pinchDirection = 0;
  float change = distance - tickSamples.previousPinchDistance;
  if (change > kPinchThreshold) {
    pinchDirection = 1;
  } else if (change < -kPinchThreshold) {
    pinchDirection = -1;
  }
  tickSamples.previousPinchDistance = distance;
  InputTickEnds();
}
