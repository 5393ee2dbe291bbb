// The test event log: opened on the first event, appended to under a lock,
// flushed line by line so a test that reads it never sees half a line.
#include "engine/app/test_events.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "engine/app/platform.h"

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
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  PlatformTestEvent(line);
  EventLog& log = Log();
  if (log.file == nullptr) return;
  std::lock_guard<std::mutex> hold(log.lock);
  std::fputs(line, log.file);
  std::fputc('\n', log.file);
  std::fflush(log.file);
}
