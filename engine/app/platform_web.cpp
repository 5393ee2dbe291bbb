// What a browser page does its own way under the SDL layer: the page owns the
// main loop (one pass per animation frame, with the ticks and the music fed
// from it, as there are no threads), sound waits for the player's first touch
// or key, sound pauses while the page is hidden, the contents are preloaded
// into ./contents, and the settings live in the page's own storage.
#include <emscripten.h>

#include "engine/app/contents_search.h"
#include "engine/app/platform.h"

namespace {

// The folder the page's storage is mounted on (see platform_web_pre.js).
constexpr char kSettingsFolder[] = "/settings/";

PlatformLoop webLoop;

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

// The page learns that the program has ended (F12), with its exit code.
EM_JS(void, TellPageEnded, (int code), {
  if (typeof Module.onProgramEnd === 'function') Module.onProgramEnd(code);
});

// The files under the settings folder go to the page's storage once the
// code now running has returned (a settings file is renamed into place after
// its flush).
EM_JS(void, ScheduleStorageSync, (), {
  if (typeof Module.syncSettingsStorage === 'function') setTimeout(Module.syncSettingsStorage, 0);
});

namespace {

void WebFrame() {
  webLoop.pass();
  if (!webLoop.done()) return;
  emscripten_cancel_main_loop();
  TellPageEnded(webLoop.finish());
}

}  // namespace

int32_t PlatformRunLoop(const PlatformLoop& loop) {
  webLoop = loop;
  InstallAudioListeners();
  // 0 frames per second: one pass per animation frame. The page keeps the
  // program alive after main returns.
  emscripten_set_main_loop(WebFrame, 0, 0);
  return 0;
}

bool PlatformHasThreads() { return false; }

const char* PlatformPreferredVideoDriver() { return nullptr; }

void PlatformFillContentsSearch(ContentsSearch* search) { search->systemFolders = false; }

std::string PlatformSettingsPath(const char* programName) {
  return std::string(kSettingsFolder) + programName + "/settings.ini";
}

// WebAssembly memory only grows; freed blocks stay for the allocator.
void PlatformReturnFreedMemory() {}

// The page has one thread and no scheduler to ask.
bool PlatformPreferPromptWakeups() { return false; }

int32_t PlatformFlushToDisk(FILE* file) {
  if (file == nullptr) return 1;
  ScheduleStorageSync();
  return 0;
}

int32_t PlatformReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0 ? 0 : 1; }
