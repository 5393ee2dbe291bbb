// The operating-system layer under the application frame: window, GL context,
// event pump, clock, sleep, threads and key state. platform_sdl.cpp holds what
// SDL does alike everywhere; each system adds one file of its own, chosen by
// the build (platform_linux.cpp, platform_windows.cpp, platform_web.cpp; the
// two desktop systems share platform_desktop.cpp) for what SDL leaves to it:
// who drives the loop, threads, memory, scheduling and where files live.
// Nothing above this header knows SDL or the system.
// Thread rules: every call except the clock, sleep and thread calls belongs to
// the main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct ContentsSearch;

// Results of PlatformOpenWindow.
constexpr int32_t kPlatformOk = 0;
constexpr int32_t kPlatformWindowFailed = 1;
constexpr int32_t kPlatformModeRefused = 2;

// ---- What each system does its own way (platform_<system>.cpp) ----------------

// The main loop's parts, as the engine hands them to the system's driver.
struct PlatformLoop {
  // One pass: events, then a frame unless nobody can see it. Returns the
  // milliseconds a desktop rests before the next pass.
  uint32_t (*pass)();
  // True once the loop must end (a quit was posted).
  bool (*done)();
  // Stops what is left of the loops and calls the end callback; its result
  // is the program's exit code.
  int32_t (*finish)();
};

// Runs the main loop. On the desktop: passes with their rests until done,
// then finish's result. In a browser the page owns the loop: each animation
// frame is one pass, this call returns 0 at once and the loop goes on after
// it; finish runs once done is seen.
int32_t PlatformRunLoop(const PlatformLoop& loop);

// False where the program runs on one thread (a browser page): the ticks and
// the music are then fed from each frame instead of threads of their own.
bool PlatformHasThreads();

// Hands one test event line (see test_events.h) to what the system has
// beside the log file: a browser page's hook; nothing on the desktop.
void PlatformTestEvent(const char* line);

// Before the loop's first write to a socket or pipe (the X server, the sound
// server, standard output read by another program): a write whose reader has
// gone then fails with an error its caller handles, where Linux would end the
// program at once and without a word (SIGPIPE). Nothing elsewhere.
void PlatformIgnoreBrokenPipes();

// SDL's video driver to ask for unless SDL_VIDEODRIVER says otherwise;
// nullptr for SDL's own choice.
const char* PlatformPreferredVideoDriver();

// Once the window is made: where the system ends the program through the
// window without a quit request the loop would see in time (Windows logging
// off or shutting down), the saves handed over reach the disk first.
struct SDL_Window;
void PlatformWatchSessionEnd(SDL_Window* window);

// The places the contents search reads from the system: the program's own
// folder and the shared data folders. A system without installed folders
// (a browser page, whose contents are preloaded into ./contents) sets none.
void PlatformFillContentsSearch(ContentsSearch* search);

// Where the player's settings file lives; empty when the system gives no
// folder for it (the caller then says so and uses the defaults).
std::string PlatformSettingsPath(const char* programName);
// Where the program keeps a data file of its own that is not a setting (the
// best score); empty when the system gives no folder for it.
std::string PlatformDataPath(const char* programName, const char* fileName);

// For --help: where this system looks for the contents without --contents,
// whole lines.
std::string PlatformContentsHelp(const char* programName);
// For --help: where this system keeps the player's settings file
// (PlatformSettingsPath) or data files (PlatformDataPath), in words a player
// can follow; a second line, when there is one, follows a newline.
std::string PlatformSettingsFolderHelp(const char* programName);
std::string PlatformDataFolderHelp(const char* programName);

// Gives the pages the heap holds free back to the system.
void PlatformReturnFreedMemory();

// Opens the window for the flag bits of app.h and writes its client size.
int32_t PlatformOpenWindow(const char* caption, int32_t width, int32_t height,
                           int32_t flags, int32_t* clientWidth, int32_t* clientHeight);
// Creates the GL context (RGB 8-8-8, no alpha, depth 16, double buffered),
// makes it current and sets the swap interval. 0 success, 1 failure.
int32_t PlatformCreateGlContext(bool noVsync);
// Drops the GL context and closes the window; safe when none is open. The
// video subsystem and the GL library stay loaded for a later window.
void PlatformCloseWindow();
bool PlatformHasWindow();

// Takes every queued event and hands it to the input and quit calls of app.h
// (input through InputPostEvent, then InputFlushEvents). Does nothing without
// a window.
void PlatformPumpEvents();
// True while the window is minimised or hidden: nothing needs drawing.
bool PlatformIsMinimized();
bool PlatformIsFullscreen();
// Borderless full screen at the desktop's size, or back to the window.
void PlatformSetFullscreen(bool on);
// Where the system puts a whole page in full screen (a browser, whose page
// also goes full screen on a phone's first touch): whether it is now, and the
// switch, false where the window itself switches (the desktops). A page goes
// full screen only at the player's gesture, so it never opens in full screen.
bool PlatformHasPageFullscreen();
bool PlatformPageFullscreen();
bool PlatformSetPageFullscreen(bool on);
// Before each frame: the viewport becomes the letterboxed virtual screen
// inside the drawable (bars left black by the frame's clear).
void PlatformPrepareFrame();
// glFlush, then the buffer swap; paces to the display when vsync is missing.
void PlatformPresent();

uint32_t PlatformTimeMs();
uint64_t PlatformTimeUs();
void PlatformSleepMs(uint32_t ms);
void PlatformSleepUs(uint32_t us);

// Asks the scheduler to run the calling thread in short slices, so that when
// it wakes on a busy machine it takes a core at once instead of waiting for
// the running thread's slice to end. Only a hint: kernels without custom
// slices (before Linux 6.12) ignore it. Returns true when it was taken.
bool PlatformPreferPromptWakeups();

using PlatformThreadMain = void (*)();
// Starts a thread running fn; returns an opaque handle, or nullptr on failure.
void* PlatformStartThread(const char* name, PlatformThreadMain fn);
void PlatformJoinThread(void* handle);

// Writes the folder holding the running program, ending in a slash, into
// buffer. 0 on success; 1 when it cannot be told or does not fit.
int32_t PlatformExecutableFolder(char* buffer, size_t size);

// Makes 8-bit RGBA (or RGB) pixels, rows top first, the window's icon.
// 0 on success; 1, with SDL's reason on standard error, otherwise.
int32_t PlatformSetWindowIcon(const uint8_t* pixels, int32_t width, int32_t height, bool hasAlpha);

// Creates the file at path (UTF-8) for writing, failing with EEXIST when a
// file of that name is there already: a writer gets a file no other writer
// shares. The descriptor is not inherited by child processes. Returns the
// descriptor, or -1 with errno set.
int PlatformCreateNewFile(const char* path);
// Asks the system to put what was written to the open file descriptor fd
// on the disk itself, so a power cut after a later rename cannot leave an
// empty file. 0 on success, 1 (errno set) on failure.
int32_t PlatformFlushFile(int fd);
// After a file in folder was created or renamed: makes the change to the
// folder itself lasting (its entries on the disk, or in a browser the page's
// storage). 0 when done, or in a browser when the storage sync is under way
// (a sync that fails later says so on the console); 1 (errno set) when it
// could not be done or started.
int32_t PlatformFlushFolder(const std::string& folder);

// Renames the file from (UTF-8 path) over to, replacing it in one step: a
// reader sees the old file whole or the new one. 0 on success; on failure
// 1, with errno saying why.
int32_t PlatformReplaceFile(const char* from, const char* to);
// Renames from (UTF-8 path) to a name that must be free: a file or folder
// made under that name meanwhile is never replaced. 0 on success; on failure
// 1, with errno saying why (EEXIST when the name is taken).
int32_t PlatformRenameNoReplace(const char* from, const char* to);
// Opens the file at path (UTF-8) for reading in binary mode, through the same
// calls the writes use; nullptr with errno set when it cannot.
FILE* PlatformOpenForReading(const char* path);

// The platform library's own text for its last failure (SDL_GetError), for
// the one line a failed start-up step writes to standard error.
const char* PlatformLastError();
