// The settings writer: saves handed over through a lock-free list, and the
// thread, or the main loop's passes, that take them all at once, keep the
// newest save of each file and write those. The tick neither takes a lock
// (the writer may be stopped by the scheduler while holding it) nor wakes
// the writer (a woken thread may take the tick's processor at once): the
// next main-loop pass does the waking.
#include "engine/app/settings_writer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/app/platform.h"

namespace {

struct HandedOver {
  SettingsSave save;
  HandedOver* next;  // the one handed over before it
};

// Newest first; pushed by any thread, taken whole by the writer.
std::atomic<HandedOver*> handedOver{nullptr};
// The writer sleeps on it; the main thread takes it to wake the writer.
std::mutex writerLock;
std::condition_variable writerWake;
bool stopping = false;  // guarded by writerLock
// The thread's handle; main thread only.
void* writerThread = nullptr;
std::atomic<bool> threadRuns{false};
std::atomic<uint64_t> writesDone{0};

// Takes everything handed over; the newest save of each path, oldest first.
std::vector<SettingsSave> TakeHandedOver() {
  HandedOver* node = handedOver.exchange(nullptr, std::memory_order_acquire);
  std::vector<SettingsSave> newest;
  while (node != nullptr) {
    bool seen = false;
    for (const SettingsSave& save : newest) seen = seen || save.path == node->save.path;
    if (!seen) newest.push_back(std::move(node->save));
    HandedOver* next = node->next;
    delete node;
    node = next;
  }
  return std::vector<SettingsSave>(std::make_move_iterator(newest.rbegin()),
                                   std::make_move_iterator(newest.rend()));
}

// Writes what was handed over; false when there was nothing.
bool WriteHandedOver() {
  std::vector<SettingsSave> saves = TakeHandedOver();
  for (const SettingsSave& save : saves) {
    std::string error;
    bool saved = WriteSettingsFile(save.path, save.header, save.file, &error);
    writesDone.fetch_add(1);
    if (save.report != nullptr) save.report(saved, saved ? std::string() : error);
  }
  return !saves.empty();
}

void WriterThreadMain() {
  for (;;) {
    // The writes wait for the disk; saves handed over meanwhile are taken
    // together on the next round.
    if (WriteHandedOver()) continue;
    std::unique_lock<std::mutex> hold(writerLock);
    if (stopping && handedOver.load() == nullptr) return;
    writerWake.wait(hold, [] { return stopping || handedOver.load() != nullptr; });
  }
}

}  // namespace

void RequestSettingsSave(SettingsSave save) {
  HandedOver* node = new HandedOver{std::move(save), handedOver.load(std::memory_order_relaxed)};
  while (!handedOver.compare_exchange_weak(node->next, node, std::memory_order_release,
                                           std::memory_order_relaxed)) {
  }
}

int32_t SettingsWriterStart() {
  if (writerThread != nullptr) return 0;
  if (!PlatformHasThreads()) return 1;
  {
    std::lock_guard<std::mutex> hold(writerLock);
    stopping = false;
  }
  writerThread = PlatformStartThread("settings", WriterThreadMain);
  threadRuns.store(writerThread != nullptr);
  return writerThread != nullptr ? 0 : 1;
}

void SettingsWriterPass() {
  if (!threadRuns.load()) {
    WriteHandedOver();
    return;
  }
  if (handedOver.load() == nullptr) return;
  // Under the lock: the writer is then either asleep, and woken, or about
  // to look, and sees the saves.
  std::lock_guard<std::mutex> hold(writerLock);
  writerWake.notify_one();
}

void SettingsWriterFinish() {
  if (writerThread != nullptr) {
    {
      std::lock_guard<std::mutex> hold(writerLock);
      stopping = true;
    }
    writerWake.notify_one();
    PlatformJoinThread(writerThread);
    writerThread = nullptr;
    threadRuns.store(false);
  }
  // Anything handed over after the thread's last look.
  while (WriteHandedOver()) {
  }
}

uint64_t SettingsWritesDone() { return writesDone.load(); }
