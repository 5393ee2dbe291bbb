// What a browser page does its own way under the SDL layer: the page owns the
// main loop (one pass per animation frame, with the ticks and the music fed
// from it, as there are no threads; ticks also run between frames, from a
// short timer), sound waits for the player's first touch
// or key, sound pauses while the page is hidden, the contents are preloaded
// into ./contents, and the player's files live in the page's own storage.
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/app/app.h"
#include "engine/app/contents_search.h"
#include "engine/app/loop_internal.h"
#include "engine/app/platform.h"
#include "engine/app/player_file.h"
#include "engine/app/player_file_writer.h"

namespace {

// The folder the page's storage is mounted on (see platform_web_pre.js).
constexpr char kPlayerFileFolder[] = "/player_files/";

// How often the page looks for due ticks between animation frames: a
// quarter of the 16 ms tick period, so a tick runs at most 4 ms late while
// the frames themselves are slow.
constexpr double kTickTimerMs = 4.0;

PlatformLoop webLoop;
long tickTimer = 0;

}  // namespace

// Every event a browser counts as the player's own gesture resumes the
// OpenAL contexts that are not running. Emscripten tries once, on the first
// touchstart, mousedown or keydown; phone browsers allow sound only from a
// touchend or a pointerup, so that try fails there. The listeners stay: a
// phone may stop the sound again (a call) and the next touch brings it back.
// While the page is hidden every running context is suspended, so the music
// queue, which the frames no longer refill, neither runs dry nor plays on
// unheard; it goes on where it was when the page shows again.
EM_JS(void, InstallAudioListeners, (), {
  const contexts = () => Object.values((typeof AL !== 'undefined' && AL.contexts) || {})
      .filter((context) => context && context.audioCtx)
      .map((context) => context.audioCtx);
  const resume = () => {
    if (document.hidden) return;
    for (const audio of contexts()) {
      if (audio.state !== 'running') audio.resume().catch(() => {});
    }
  };
  for (const type of ['touchend', 'pointerup', 'click', 'keydown']) {
    document.addEventListener(type, resume, { capture: true, passive: true });
  }
  document.addEventListener('visibilitychange', () => {
    for (const audio of contexts()) {
      if (document.hidden && audio.state === 'running') {
        audio.tideHidden = true;
        audio.suspend().catch(() => {});
      } else if (!document.hidden && audio.tideHidden) {
        audio.tideHidden = false;
        audio.resume().catch(() => {});
      }
    }
  });
});

// A hidden page draws no frames, and the frames are what write the saves the
// ticks hand over; a closing page draws none either. So when the page is
// hidden, or goes away, what was handed over is written at once and its copy
// into the page's storage starts then.
EM_JS(void, InstallSaveListeners, (), {
  const save = () => Module['_PlatformWebSavePlayerFiles']();
  document.addEventListener('visibilitychange', () => { if (document.hidden) save(); });
  window.addEventListener('pagehide', save);
});

// Each test event also reaches the page's own hook, where a test in the
// browser can answer it before the next frame.
EM_JS(void, TellPageTestEvent, (const char* line), {
  if (typeof Module.onTestEvent === 'function') Module.onTestEvent(UTF8ToString(line));
});

// The page learns that the program has ended (F12), with its exit code.
EM_JS(void, TellPageEnded, (int code), {
  if (typeof Module.onProgramEnd === 'function') Module.onProgramEnd(code);
});

// Starts the copy of the player's files into the page's storage (see
// platform_web_pre.js, which runs one copy at a time and one more after it
// for the changes that came meanwhile). 0 when there is no page storage.
EM_JS(int, StartStorageSync, (), {
  if (typeof Module.syncPlayerFileStorage !== 'function') return 0;
  Module.syncPlayerFileStorage();
  return 1;
});

// A hidden page runs no ticks (as it draws no frames); its timers still fire,
// once a second.
EM_JS(bool, PageHidden, (), { return typeof document !== 'undefined' && !!document.hidden; });

// The page, not the canvas, goes full screen, as the page's own first-touch
// request does, so both agree on what is full screen. A browser grants it
// only soon after the player's gesture, and a touch counts once lifted: a
// request made on the touch itself that is refused is made again when the
// finger lifts.
EM_JS(bool, PageFullscreenNow, (), { return typeof document !== 'undefined' && !!document.fullscreenElement; });
EM_JS(void, SwitchPageFullscreen, (bool on), {
  const root = document.documentElement;
  if (!on) {
    if (document.exitFullscreen) document.exitFullscreen().catch(() => {});
    return;
  }
  if (!root.requestFullscreen) return;
  const ask = () => root.requestFullscreen({ navigationUI: 'hide' });
  ask().catch(() => document.addEventListener('pointerup', () => ask().catch(() => {}), { once: true, capture: true }));
});

bool PlatformHasPageFullscreen() { return true; }
bool PlatformPageFullscreen() { return PageFullscreenNow(); }

bool PlatformSetPageFullscreen(bool on) {
  SwitchPageFullscreen(on);
  return true;
}

namespace {

// Where drawing is slower than the ticks (a large window drawn in software),
// frames alone would run the due ticks in bursts at each frame's start; this
// timer runs each one near its own deadline, as the desktop's timer thread
// does. Input reaches the ticks as the frames pump it, as on the desktop.
void TickBetweenFrames(void*) {
  if (webLoop.done() || PageHidden()) return;
  RunDueTicks(GetTimeMs());
}

void WebFrame() {
  // A browser runs no animation frames for a hidden page; this keeps it so
  // where hiding is only pretended (a test).
  if (PageHidden()) return;
  webLoop.pass();
  if (!webLoop.done()) return;
  emscripten_cancel_main_loop();
  emscripten_clear_interval(tickTimer);
  TellPageEnded(webLoop.finish());
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void PlatformWebSavePlayerFiles() { PlayerFileWriterPass(); }

void PlatformTestEvent(const char* line) { TellPageTestEvent(line); }

int32_t PlatformRunLoop(const PlatformLoop& loop) {
  webLoop = loop;
  InstallAudioListeners();
  InstallSaveListeners();
  // 0 frames per second: one pass per animation frame. The page keeps the
  // program alive after main returns.
  tickTimer = emscripten_set_interval(TickBetweenFrames, kTickTimerMs, nullptr);
  emscripten_set_main_loop(WebFrame, 0, 0);
  return 0;
}

bool PlatformHasThreads() { return false; }

const char* PlatformPreferredVideoDriver() { return nullptr; }

// The page's closing is the page's own matter.
void PlatformWatchSessionEnd(SDL_Window*) {}

void PlatformFillContentsSearch(ContentsSearch* search) { search->systemFolders = false; }

std::string PlatformSettingsPath(const char* programName) {
  return PlatformDataPath(programName, kSettingsFileName);
}

// The page has one storage folder for every player's file.
std::string PlatformDataPath(const char* programName, const char* fileName) {
  return std::string(kPlayerFileFolder) + programName + "/" + fileName;
}

std::string PlatformContentsHelp(const char*) {
  return "The pictures and sounds come with the page, in ./contents.\n";
}

std::string PlatformSettingsFolderHelp(const char*) { return "the browser's storage for this page"; }

std::string PlatformDataFolderHelp(const char* programName) { return PlatformSettingsFolderHelp(programName); }

// WebAssembly memory only grows; freed blocks stay for the allocator.
void PlatformReturnFreedMemory() {}

// A page writes to no pipe or socket of its own.
void PlatformIgnoreBrokenPipes() {}

// The page has one thread and no scheduler to ask.
bool PlatformPreferPromptWakeups() { return false; }

int PlatformCreateNewFile(const char* path) { return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); }

// Emscripten's fsync does what the mounted file system can do at once (the
// page's storage keeps files in memory until the sync below copies them).
int32_t PlatformFlushFile(int fd) { return fsync(fd) == 0 ? 0 : 1; }

// In the page: the copy into IndexedDB starts now and ends later; one that
// fails says so on the console. Without the page's storage (the tests under
// Node.js, on its own file system) there is nothing more to do.
int32_t PlatformFlushFolder(const std::string&) {
  StartStorageSync();
  return 0;
}

int32_t PlatformReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0 ? 0 : 1; }

// The page's file system has neither renameat2 nor hard links; its one
// thread makes nothing between the look and the rename.
int32_t PlatformRenameNoReplace(const char* from, const char* to) {
  if (access(to, F_OK) == 0) {
    errno = EEXIST;
    return 1;
  }
  return std::rename(from, to) == 0 ? 0 : 1;
}

FILE* PlatformOpenForReading(const char* path) { return std::fopen(path, "rb"); }
