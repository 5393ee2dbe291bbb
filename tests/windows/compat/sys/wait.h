// Stand-ins that always fail, for the fork test case left out under Wine.
#pragma once

#include <errno.h>
#include <sys/types.h>

#define SIGKILL 9
static inline int kill(pid_t, int) { return errno = ENOSYS, -1; }
static inline pid_t waitpid(pid_t, int*, int) { return errno = ENOSYS, -1; }
