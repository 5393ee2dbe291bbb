// Drives play-field objects tick by tick in tests: the real window and GL
// context, a fixed random seed, and a scripted finger on touch slot 0 that
// goes through the engine's raw input and per-tick sampling like the mouse.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/render/vector_math.h"

namespace play {

using TickFn = std::function<void()>;
using DrawFn = std::function<void()>;

constexpr uint32_t kSeed = 20240601u;

// Opens the window (once per process), sets the 1024 x 576 virtual screen
// and touch area, lifts the finger, resets touch slot 0 and seeds RandomInt
// and the next round a scene change starts.
void Start(uint32_t seed = kSeed);

// The centre of block index on a plate resting at (75, 125).
Vec2 BlockCentre(int32_t index);
Vec2 BlockCentreAt(int32_t index, float plateX, float plateY);

// A scripted finger. Every finger step runs exactly one tick of the update
// function: sample the touch slots, update, refresh last positions, finish
// the tick. If a draw function is set it runs after each tick (as a frame).
class Finger {
 public:
  explicit Finger(TickFn update, DrawFn draw = nullptr);

  void Press(float x, float y);
  void Press(Vec2 p) { Press(p.x, p.y); }
  void MoveTo(float x, float y);
  void MoveTo(Vec2 p) { MoveTo(p.x, p.y); }
  // One tick per point.
  void MoveThrough(const std::vector<Vec2>& points);
  // Press on the first point, move through the rest, one tick each.
  void Drag(const std::vector<Vec2>& points);
  void Lift();
  // Ticks with the finger as it is.
  void Hold(int32_t ticks = 1);
  // Press, drag through these blocks (by index on the resting plate), no lift.
  void DragBlocks(const std::vector<int32_t>& blocks);

  int32_t ticks() const { return ticks_; }

 private:
  void Tick();
  TickFn update_;
  DrawFn draw_;
  int32_t ticks_ = 0;
};

// A round's play field as the game scene sets it up: counters and flags
// reset, "particle.png" loaded, the customer (with its order balloon) and the
// board with the first plate sliding in. Returns BoardInit's result.
int32_t StartField();
// One play tick as the game scene runs it: playTicks, customer, board.
void FieldTick();
// One frame of the field: board, customer, the 30 sweets.
void FieldDraw();
// Ticks (with frames) until the plate rests and picking is open.
void SettleField();
void EndField();
// A finger driving FieldTick and FieldDraw.
Finger FieldFinger();

// One tick of an update function with the engine's touch sampling around it.
void RunTick(const TickFn& update);

}  // namespace play
