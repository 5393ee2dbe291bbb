// What Windows does its own way under the SDL layer (the loop and threads it
// shares with Linux: platform_desktop.cpp): 1 ms timer resolution for the
// whole run, the tick thread at high priority, the contents beside the .exe,
// the player's files under %APPDATA%, the renames, reads through wide calls
// and the flush to disk, the saves written when the session ends, and
// standard output reaching the console the program was started from.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h: SDL_syswm.h names HWND.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "engine/app/app.h"
#include "engine/app/contents_search.h"
#include "engine/app/platform.h"
#include "engine/app/player_file.h"
#include "engine/app/player_file_writer.h"

namespace {

constexpr size_t kExecutableFolderSize = 4096;

// UTF-8 to UTF-16 and back: every path the program holds is UTF-8, the wide
// calls take UTF-16.
std::wstring Widen(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length) - 1);
  return narrow;
}

// A program of the GUI subsystem starts without a console: its standard
// output goes nowhere unless the starter handed it a file or pipe. Started
// from a console window, the output goes to that console instead; with no
// console at all every write is still harmless.
void ReachParentConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* ignored = nullptr;
  freopen_s(&ignored, "CONOUT$", "w", stdout);
  freopen_s(&ignored, "CONOUT$", "w", stderr);
}

// Held for the whole run, from before main to after it returns: Windows
// sleeps in steps of its timer's period (15.6 ms unless asked), and the ticks
// and frames wait in 1 ms sleeps.
struct ProcessSettings {
  ProcessSettings() {
    ReachParentConsole();
    timeBeginPeriod(1);
  }
  ~ProcessSettings() { timeEndPeriod(1); }
};

ProcessSettings processSettings;

}  // namespace

// SDL's own choice (its Windows driver).
const char* PlatformPreferredVideoDriver() { return nullptr; }

namespace {

WNDPROC sdlWindowProc = nullptr;

// Windows may end the process as soon as WM_ENDSESSION returns (logging off,
// shutting down): the quit is asked for and the saves handed over are
// written before it returns. The close button (WM_CLOSE) reaches the loop as
// a quit request, whose end writes them.
LRESULT CALLBACK SessionEndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENDSESSION && wParam) {
    RequestQuit();
    PlayerFileWriterFinish();
    return 0;
  }
  return CallWindowProcW(sdlWindowProc, window, message, wParam, lParam);
}

}  // namespace

void PlatformWatchSessionEnd(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS) return;
  HWND hwnd = info.info.win.window;
  sdlWindowProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SessionEndProc)));
  if (sdlWindowProc == nullptr) {
    std::fprintf(stderr, "cannot watch for logging off: a save made just before it may be lost\n");
  }
}

// The contents are installed beside the .exe (the build makes the installed
// place, seen from the program's folder, plain "contents").
void PlatformFillContentsSearch(ContentsSearch* search) {
  char executableFolder[kExecutableFolderSize];
  if (PlatformExecutableFolder(executableFolder, sizeof executableFolder) == 0) {
    search->executableFolder = executableFolder;
  }
}

namespace {

// %APPDATA%\<name>\<file>: the roaming folder Windows keeps per user.
std::string AppDataFilePath(const char* programName, const char* fileName) {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (appData == nullptr || appData[0] == L'\0') return std::string();
  std::wstring path = appData;
  path += L'\\';
  path += Widen(programName);
  path += L'\\';
  path += Widen(fileName);
  return Narrow(path.c_str());
}

}  // namespace

std::string PlatformSettingsPath(const char* programName) {
  return AppDataFilePath(programName, kSettingsFileName);
}

std::string PlatformDataPath(const char* programName, const char* fileName) {
  return AppDataFilePath(programName, fileName);
}

std::string PlatformContentsHelp(const char*) {
  return "Without --contents the pictures and sounds are looked for in ./contents,\n"
         "then in the contents folder beside the program.\n";
}

std::string PlatformSettingsFolderHelp(const char* programName) {
  return std::string("%APPDATA%\\") + programName;
}

std::string PlatformDataFolderHelp(const char* programName) { return PlatformSettingsFolderHelp(programName); }

// The CRT heap gives freed pages back by itself.
void PlatformReturnFreedMemory() {}

// Windows has no SIGPIPE: a write to a closed pipe already fails.
void PlatformIgnoreBrokenPipes() {}

// The tick thread runs above the frame's threads: when it wakes, it takes a
// core at once instead of waiting for the software rasteriser's slice.
bool PlatformPreferPromptWakeups() {
  return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
}

// _O_NOINHERIT keeps the descriptor out of child processes; _O_BINARY writes
// the text's line ends as they are.
int PlatformCreateNewFile(const char* path) {
  std::wstring wide = Widen(path);
  if (wide.empty()) {
    errno = EINVAL;
    return -1;
  }
  return _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

// _commit is FlushFileBuffers on the descriptor's handle.
int32_t PlatformFlushFile(int fd) { return _commit(fd) == 0 ? 0 : 1; }

// A folder cannot be opened as a file here to be flushed; both moves below
// are written through (MOVEFILE_WRITE_THROUGH) and on the disk when they
// return.
int32_t PlatformFlushFolder(const std::string&) { return 0; }

namespace {

// MoveFileExW with flags; 0 on success, else 1 with errno set from the
// system's error, as the callers word their messages from errno.
int32_t MoveWide(const char* from, const char* to, DWORD flags) {
  std::wstring wideFrom = Widen(from);
  std::wstring wideTo = Widen(to);
  if (wideFrom.empty() || wideTo.empty()) {
    errno = EINVAL;
    return 1;
  }
  if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags)) return 0;
  DWORD error = GetLastError();
  errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS            ? EEXIST
          : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION     ? EACCES
          : error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND       ? ENOENT
                                                                                 : EIO;
  return 1;
}

}  // namespace

// Replaces the target in one step, and returns only once the move is on the
// disk: a crash afterwards finds the new file whole.
int32_t PlatformReplaceFile(const char* from, const char* to) {
  return MoveWide(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name.
int32_t PlatformRenameNoReplace(const char* from, const char* to) {
  return MoveWide(from, to, MOVEFILE_WRITE_THROUGH);
}

// The wide call, as the writes use: the path is UTF-8 whatever the code page.
FILE* PlatformOpenForReading(const char* path) {
  std::wstring wide = Widen(path);
  if (wide.empty()) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfopen(wide.c_str(), L"rb");
}
