// What the desktop systems (Linux, Windows) do alike beside their own
// platform file: the main loop as a plain loop on the main thread, with the
// ticks, the music and the player-file writer on threads of their own.
#include "engine/app/platform.h"

int32_t PlatformRunLoop(const PlatformLoop& loop) {
  // The quit request is taken after the pass in which it was seen, as the
  // quit message would be.
  do {
    PlatformSleepMs(loop.pass());
  } while (!loop.done());
  return loop.finish();
}

bool PlatformHasThreads() { return true; }

void PlatformTestEvent(const char*) {}

bool PlatformHasPageFullscreen() { return false; }
bool PlatformPageFullscreen() { return false; }
bool PlatformSetPageFullscreen(bool) { return false; }
