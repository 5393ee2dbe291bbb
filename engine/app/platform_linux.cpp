// What Linux does its own way under the SDL layer (the loop and threads it
// shares with Windows: platform_desktop.cpp): X11 as the video driver, the
// XDG folders for contents, settings and data, the allocator's trim, the
// scheduler's short slices and fsync.
#include <fcntl.h>
#include <malloc.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "engine/app/contents_search.h"
#include "engine/app/platform.h"
#include "engine/app/player_file.h"

namespace {

// The folder of the running program as a contents search wants it.
constexpr size_t kExecutableFolderSize = 4096;

// The kernel's scheduling attributes (first version, 48 bytes); glibc has no
// wrapper for sched_setattr before 2.41.
struct SchedAttributes {
  uint32_t size;
  uint32_t policy;
  uint64_t flags;
  int32_t nice;
  uint32_t priority;
  uint64_t runtime;
  uint64_t deadline;
  uint64_t period;
};

}  // namespace

// X11 (or XWayland): GLEW 2.2 resolves its entry points through GLX and
// fails on the EGL context SDL would make on Wayland.
const char* PlatformPreferredVideoDriver() { return "x11"; }

void PlatformIgnoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

// Logging out ends the program with SIGTERM, which arrives as a quit request:
// the loop's end writes the saves.
void PlatformWatchSessionEnd(SDL_Window*) {}

void PlatformFillContentsSearch(ContentsSearch* search) {
  char executableFolder[kExecutableFolderSize];
  if (PlatformExecutableFolder(executableFolder, sizeof executableFolder) == 0) {
    search->executableFolder = executableFolder;
  }
  if (const char* dirs = std::getenv("XDG_DATA_DIRS")) {
    search->xdgDataDirsSet = true;
    search->xdgDataDirs = dirs;
  }
}

std::string PlatformSettingsPath(const char* programName) {
  return XdgFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), ".config", programName, kSettingsFileName);
}

std::string PlatformDataPath(const char* programName, const char* fileName) {
  return XdgFilePath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), ".local/share", programName, fileName);
}

std::string PlatformContentsHelp(const char* programName) {
  std::string name = programName;
  return "Without --contents the pictures and sounds are looked for in ./contents,\n"
         "then in ../share/" + name + "/contents beside the program's folder, then in\n"
         "each folder of $XDG_DATA_DIRS (/usr/local/share:/usr/share) + /" + name + "/contents.\n";
}

std::string PlatformSettingsFolderHelp(const char* programName) {
  std::string name = programName;
  return "$XDG_CONFIG_HOME/" + name + "\n(~/.config/" + name + " when XDG_CONFIG_HOME is not set)";
}

std::string PlatformDataFolderHelp(const char* programName) {
  std::string name = programName;
  return "$XDG_DATA_HOME/" + name + "\n(~/.local/share/" + name + " when XDG_DATA_HOME is not set)";
}

void PlatformReturnFreedMemory() { malloc_trim(0); }

// The ordinary policy at the thread's own nice value, with a requested slice
// of 0.5 ms: the scheduler's deadline for such a thread comes sooner, and a
// thread that wakes with the sooner deadline preempts the one running. This
// needs no privilege: the thread's share of the processor is unchanged.
bool PlatformPreferPromptWakeups() {
#ifdef SYS_sched_setattr
  SchedAttributes attributes{};
  attributes.size = sizeof attributes;
  attributes.policy = SCHED_OTHER;
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  attributes.nice = errno == 0 ? nice : 0;
  attributes.runtime = 500000;  // nanoseconds
  return syscall(SYS_sched_setattr, 0, &attributes, 0) == 0;
#else
  return false;
#endif
}

int PlatformCreateNewFile(const char* path) {
  return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

int32_t PlatformFlushFile(int fd) { return fsync(fd) == 0 ? 0 : 1; }

int32_t PlatformFlushFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 1;
  int result = fsync(fd);
  int error = errno;
  close(fd);
  errno = error;
  return result == 0 ? 0 : 1;
}

int32_t PlatformReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0 ? 0 : 1; }

// renameat2 refuses a taken name in the same step as the rename. A file
// system without it gets a hard link, which refuses a taken name too, and
// the old name's removal.
int32_t PlatformRenameNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return 1;
  if (link(from, to) != 0) return 1;
  return unlink(from) == 0 ? 0 : 1;
}

FILE* PlatformOpenForReading(const char* path) { return std::fopen(path, "rb"); }
