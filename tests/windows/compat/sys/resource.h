// getrusage's peak memory for the Windows build of the tests: the process's
// peak working set, in kilobytes as Linux reports ru_maxrss.
#pragma once

#include <windows.h>
#include <psapi.h>

#define RUSAGE_SELF 0

struct rusage {
  long ru_maxrss;
};

static inline int getrusage(int who, struct rusage* usage) {
  PROCESS_MEMORY_COUNTERS counters;
  if (who != RUSAGE_SELF || !K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  usage->ru_maxrss = static_cast<long>(counters.PeakWorkingSetSize / 1024);
  return 0;
}
