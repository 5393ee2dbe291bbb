// The test event log: opened on the first event, appended to under a lock,
// flushed line by line so a test that reads it never sees half a line.
#include "engine/app/test_events.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

struct EventLog {
  std::mutex lock;
  std::FILE* file = nullptr;

  EventLog() {
    const char* path = std::getenv("TIDE_TEST_EVENTS");
    if (path != nullptr && path[0] != '\0') file = std::fopen(path, "a");
  }
  ~EventLog() {
    if (file != nullptr) std::fclose(file);
  }
};

EventLog& Log() {
  static EventLog log;
  return log;
}

}  // namespace

void TestEvent(const char* format, ...) {
  EventLog& log = Log();
  if (log.file == nullptr) return;
  std::lock_guard<std::mutex> hold(log.lock);
  va_list args;
  va_start(args, format);
  std::vfprintf(log.file, format, args);
  va_end(args);
  std::fputc('\n', log.file);
  std::fflush(log.file);
}
