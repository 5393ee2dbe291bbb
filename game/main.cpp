// Program entry: hand the game's callbacks to the engine and run its loop.
#include "engine/app/app.h"
#include "game/scene/scene.h"

int main() {
  SetAppCallbacks(GameStart, GameEnd, GameFrame);
  return RunMainLoop();
}
