// The hand-over of input events from the event pump (main thread) to the raw
// input state the ticks sample (timer thread). The pump takes every pending
// event each frame; motion is merged into the latest position, and a button or
// key change is held back, with everything after it, until a tick has sampled
// the change before it. So a press and its release that both arrive between
// two ticks reach the game as a down seen by one tick and an up seen by a
// later one, and a press is seen at the position where it happened.
#include <atomic>

#include "engine/app/app.h"
#include "engine/app/loop_internal.h"

namespace {

// Far more than a player makes between two ticks; only a stalled tick
// thread fills it, and then the oldest events are applied at once.
constexpr int kPendingCapacity = 1024;

// The hand-over's state, in one place.
struct HandOver {
  // Main thread only: events waiting for the ticks, oldest first, in a ring.
  InputEvent pending[kPendingCapacity];
  int first;
  int count;
  // Serial of the last button or key change applied to the raw state (main
  // thread writes), and the serial a tick read before sampling and stored
  // once it had finished (the tick runner writes). A change may be applied
  // once the previous one has been seen: every read of that tick came after
  // the previous change and before this one.
  std::atomic<uint32_t> appliedSerial{0};
  std::atomic<uint32_t> seenSerial{0};
  // Tick runner only: the serial loaded when the current tick began sampling.
  uint32_t sampledSerial;
  // Presses posted so far, by LivePress kind (main thread writes).
  std::atomic<uint32_t> presses[2];
};

HandOver handOver;

bool IsChange(const InputEvent& e) { return e.type != InputEventType::kMouseMove; }

void CountPress(const InputEvent& e) {
  if (e.type == InputEventType::kMouseMove || !e.down) return;
  handOver.presses[static_cast<int>(LivePress::kAny)].fetch_add(1);
  const bool confirm = e.type == InputEventType::kMouseButton || e.key == kKeySpace || e.key == kKeyReturn ||
                       e.key == kKeyPadSouth;
  if (confirm) handOver.presses[static_cast<int>(LivePress::kConfirm)].fetch_add(1);
}

// Applies one event to the raw state. A button or key event that changes
// nothing there (a second release, say) takes no serial, so it costs no tick.
void Apply(const InputEvent& e) {
  switch (e.type) {
    case InputEventType::kMouseMove:
      InputMouseMove(e.x, e.y);
      return;
    case InputEventType::kMouseButton: {
      InputMouseMove(e.x, e.y);
      const bool changes = RawTouchDown(0) != (e.down ? 1 : 0);
      InputMouseButton(e.down);
      if (changes) handOver.appliedSerial.fetch_add(1);
      return;
    }
    case InputEventType::kKey: {
      const bool changes = RawKeyDown(e.key) != (e.down ? 1 : 0);
      InputKey(e.key, e.down != 0);
      if (changes) handOver.appliedSerial.fetch_add(1);
      return;
    }
  }
}

// While ticks are not sampling input (no ticks run, or a scene switch has
// paused them) nothing waits: the raw state simply follows the events.
bool MayApplyNow() {
  return !(TicksRunning() && HasTickCallback()) ||
         handOver.seenSerial.load() == handOver.appliedSerial.load();
}

InputEvent& PendingAt(int i) { return handOver.pending[(handOver.first + i) % kPendingCapacity]; }

void DropOldest() {
  handOver.first = (handOver.first + 1) % kPendingCapacity;
  handOver.count -= 1;
}

}  // namespace

void InputPostEvent(const InputEvent& event) {
  const bool fromPad = event.type == InputEventType::kKey && event.key >= kKeyPadUp &&
                       event.key <= kKeyStickRight;
  if (!fromPad) InputPadsOtherDeviceUsed();
  CountPress(event);
  // Motion right after an unseen press waits as well, so that the press is
  // sampled where it happened.
  if (handOver.count == 0 && MayApplyNow()) {
    Apply(event);
    return;
  }
  if (!IsChange(event) && handOver.count > 0 && !IsChange(PendingAt(handOver.count - 1))) {
    PendingAt(handOver.count - 1) = event;
    return;
  }
  if (handOver.count == kPendingCapacity) {
    Apply(PendingAt(0));
    DropOldest();
  }
  PendingAt(handOver.count) = event;
  handOver.count += 1;
}

void InputFlushEvents() {
  while (handOver.count > 0 && MayApplyNow()) {
    Apply(PendingAt(0));
    DropOldest();
  }
}

int32_t InputPendingCount() { return handOver.count; }

uint32_t GetLivePressCount(LivePress kind) { return handOver.presses[static_cast<int>(kind)].load(); }

void InputClearPending() {
  handOver.first = 0;
  handOver.count = 0;
  handOver.appliedSerial.store(0);
  handOver.seenSerial.store(0);
  handOver.sampledSerial = 0;
}

void InputTickBegins() { handOver.sampledSerial = handOver.appliedSerial.load(); }

void InputTickEnds() { handOver.seenSerial.store(handOver.sampledSerial); }
