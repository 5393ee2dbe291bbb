// A finger that plays a round as a good player would, through the engine's
// mouse input: on each plate, once it may be picked from, a drag the planner
// finds (of varied lengths) made at a hand's pace, then let go; a resting
// new-plate icon is tapped. Drives headless rounds (tests, the demo round's
// generator); tick thread, before the tick samples its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/render/vector_math.h"
#include "game/scene/replay_file.h"

// How the finger chooses its drags: as a good player (the demo), or so that
// the round reaches every rule: a failed sweet on the first plate, short
// serves until the seventh plate's bonus layout, a drag through the whole of
// that plate (a perfect plate when the planner finds one), then as the demo.
enum class FingerScript : int32_t { kDemo = 0, kEveryRule = 1 };

struct ScriptedFinger {
  FingerScript script = FingerScript::kDemo;
  std::vector<int> cells;  // the drag under way, or none
  size_t next = 0;         // the cell of the drag the finger heads for
  Vec2 at = {512.0f, 288.0f};
  float speed = 12.0f;     // virtual units a tick
  int32_t drags = 0;       // drags made so far: they choose the next length
  int32_t tapTicks = 0;    // ticks the finger has held the icon
};

// Moves the finger one tick and sets the mouse (client pixels are virtual
// units: the touch area is the client's size).
void ScriptedFingerStep(ScriptedFinger* finger);

// A whole round from seed played by the finger, headless, ticked as the game
// ticks and recorded, to "Finish!" (within maxTicks): true and *replay its
// record, else false. Sets up headless input at 1024 x 576 and a scene
// changer of its own; releases the round.
bool ScriptedRoundPlay(uint32_t seed, int32_t maxTicks, Replay* replay,
                       FingerScript script = FingerScript::kDemo);
