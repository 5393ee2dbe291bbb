// getrusage's peak memory: the peak working set, in kilobytes like Linux's.
#pragma once

#include <windows.h>
#include <psapi.h>

#define RUSAGE_SELF 0
struct rusage {
  long ru_maxrss;
};
static inline int getrusage(int, rusage* usage) {
  PROCESS_MEMORY_COUNTERS counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  usage->ru_maxrss = static_cast<long>(counters.PeakWorkingSetSize / 1024);
  return 0;
}
