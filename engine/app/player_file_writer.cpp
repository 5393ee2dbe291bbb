// The player-file writer: saves handed over through a lock-free list, and the
// thread, or the main loop's passes, that take them all at once, keep the
// newest save of each file and write those. The tick neither takes a lock
// (the writer may be stopped by the scheduler while holding it) nor wakes
// the writer (a woken thread may take the tick's processor at once): the
// next main-loop pass does the waking.
#include "engine/app/player_file_writer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/app/platform.h"

namespace {

struct HandedOver {
  PlayerFileSave save;
  HandedOver* next;  // the one handed over before it
};

// The writer module's whole state.
struct WriterState {
  // Newest first; pushed by any thread, taken whole by the writer.
  std::atomic<HandedOver*> handedOver{nullptr};
  // The writer sleeps on it; the main thread takes it to wake the writer.
  std::mutex lock;
  std::condition_variable wake;
  bool stopping = false;  // guarded by lock
  // The thread's handle; main thread only.
  void* thread = nullptr;
  std::atomic<bool> threadRuns{false};
  std::atomic<uint64_t> writesDone{0};
};

WriterState writer;

// Takes everything handed over; the newest save of each path, oldest first.
std::vector<PlayerFileSave> TakeHandedOver() {
  HandedOver* node = writer.handedOver.exchange(nullptr, std::memory_order_acquire);
  std::vector<PlayerFileSave> newest;
  while (node != nullptr) {
    bool seen = false;
    for (const PlayerFileSave& save : newest) seen = seen || save.path == node->save.path;
    if (!seen) newest.push_back(std::move(node->save));
    HandedOver* next = node->next;
    delete node;
    node = next;
  }
  return std::vector<PlayerFileSave>(std::make_move_iterator(newest.rbegin()), std::make_move_iterator(newest.rend()));
}

// Writes what was handed over; false when there was nothing.
bool WriteHandedOver() {
  std::vector<PlayerFileSave> saves = TakeHandedOver();
  for (const PlayerFileSave& save : saves) {
    std::string error;
    bool saved = save.bytes.empty() ? WritePlayerFile(save.path, save.header, save.file, &error)
                                    : WritePlayerFileBytes(save.path, save.bytes, &error);
    writer.writesDone.fetch_add(1);
    if (save.report != nullptr) save.report(saved, saved ? std::string() : error);
  }
  return !saves.empty();
}

void WriterThreadMain() {
  for (;;) {
    // The writes wait for the disk; saves handed over meanwhile are taken
    // together on the next round.
    if (WriteHandedOver()) continue;
    std::unique_lock<std::mutex> hold(writer.lock);
    if (writer.stopping && writer.handedOver.load() == nullptr) return;
    writer.wake.wait(hold, [] { return writer.stopping || writer.handedOver.load() != nullptr; });
  }
}

}  // namespace

void RequestPlayerFileSave(PlayerFileSave save) {
  HandedOver* node = new HandedOver{std::move(save), writer.handedOver.load(std::memory_order_relaxed)};
  while (!writer.handedOver.compare_exchange_weak(node->next, node, std::memory_order_release,
                                                  std::memory_order_relaxed)) {
  }
}

int32_t PlayerFileWriterStart() {
  if (writer.thread != nullptr) return 0;
  if (!PlatformHasThreads()) return 1;
  {
    std::lock_guard<std::mutex> hold(writer.lock);
    writer.stopping = false;
  }
  writer.thread = PlatformStartThread("player files", WriterThreadMain);
  writer.threadRuns.store(writer.thread != nullptr);
  return writer.thread != nullptr ? 0 : 1;
}

void PlayerFileWriterPass() {
  if (!writer.threadRuns.load()) {
    WriteHandedOver();
    return;
  }
  if (writer.handedOver.load() == nullptr) return;
  // Under the lock: the writer is then either asleep, and woken, or about
  // to look, and sees the saves.
  std::lock_guard<std::mutex> hold(writer.lock);
  writer.wake.notify_one();
}

void PlayerFileWriterFinish() {
  if (writer.thread != nullptr) {
    {
      std::lock_guard<std::mutex> hold(writer.lock);
      writer.stopping = true;
    }
    writer.wake.notify_one();
    PlatformJoinThread(writer.thread);
    writer.thread = nullptr;
    writer.threadRuns.store(false);
  }
  // Anything handed over after the thread's last look.
  while (WriteHandedOver()) {
  }
}

uint64_t PlayerFileWritesDone() { return writer.writesDone.load(); }
