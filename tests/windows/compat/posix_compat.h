// The few POSIX calls the shared test files use, for their Windows build:
// mkdtemp for temporary folders, and stand-ins for the process calls that
// only the test case left out under Wine (a writer killed mid-write) makes.
// Included before every test source of the Windows build.
#pragma once

#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

// Replaces the trailing XXXXXX of pattern and makes that folder; returns
// pattern, or a null pointer when no folder could be made.
char* mkdtemp(char* pattern);

// Windows starts no process by copying itself: always -1 (ENOSYS). Declared
// as the compiler knows it (pid_t is int here).
int fork(void);

#ifdef __cplusplus
}
#endif
