// Small services for the whole program: the game's two random generators and
// the three hit tests. (Asset paths are built in contents_folder.cpp.)
#include <atomic>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "engine/app/app.h"

namespace {

// Draws are 15 bits, 0 to 32767, on every C library.
constexpr double kRandomSpan = 32768.0;

// A generator's own state, one per generator for the whole process: the C
// library's rand keeps a state per thread on some systems and a 15-bit
// RAND_MAX on others. 0 means not seeded yet (a seed is never stored as 0).
// The rules draw from one generator, seeded at each round's start, so that a
// round's seed and input replay it; what only changes the look draws from the
// other, so drawing never shifts the rules' draws.
std::atomic<uint32_t> rulesState{0};
std::atomic<uint32_t> lookState{0};

uint32_t StateFor(uint32_t seed) {
  return seed == 0 ? 0x9E3779B9u : seed;
}

// One step of a 32-bit linear congruential generator (full period); the top
// 15 bits of the new state are the draw, as its low bits repeat quickly. The
// one step that lands on 0 is taken twice, as 0 stands for unseeded.
uint32_t NextState(uint32_t state) {
  uint32_t next = state * 1103515245u + 12345u;
  return next != 0 ? next : 12345u;
}

int32_t NextDraw(std::atomic<uint32_t>& randomState) {
  uint32_t state = randomState.load(std::memory_order_relaxed);
  if (state == 0) {
    // The first draw of an unseeded program seeds by time; if another thread
    // seeds first, state receives its value.
    uint32_t seeded = StateFor(static_cast<uint32_t>(std::time(nullptr)));
    if (randomState.compare_exchange_strong(state, seeded, std::memory_order_relaxed)) {
      state = seeded;
    }
  }
  uint32_t next = NextState(state);
  while (!randomState.compare_exchange_weak(state, next, std::memory_order_relaxed)) {
    next = NextState(state);
  }
  return static_cast<int32_t>((next >> 16) & 0x7FFFu);
}

// lo to hi from a 15-bit draw, in double (exact on every system): hi - lo + 1
// overflows 32 bits for the widest ranges.
int32_t Scale(int32_t draw, int32_t lo, int32_t hi) {
  double span = static_cast<double>(hi) - static_cast<double>(lo) + 1.0;
  return static_cast<int32_t>(static_cast<double>(lo) + std::trunc(draw * span / kRandomSpan));
}

}  // namespace

int32_t RandomInt(int32_t lo, int32_t hi) { return Scale(NextDraw(rulesState), lo, hi); }

void SeedRandom(uint32_t seed) {
  rulesState.store(StateFor(seed), std::memory_order_relaxed);
}

int32_t LookRandomInt(int32_t lo, int32_t hi) { return Scale(NextDraw(lookState), lo, hi); }

uint32_t NewRoundSeed() {
  // Time alone would give two rounds started in one second the same plates.
  const uint32_t draws = static_cast<uint32_t>(NextDraw(lookState)) << 15 | static_cast<uint32_t>(NextDraw(lookState));
  return draws ^ static_cast<uint32_t>(std::time(nullptr)) << 30 ^ GetTimeMs() * 2654435761u;
}

int32_t PointInBounds(Vec2 point, Bounds box) {
  return box.left <= point.x && point.x <= box.right && box.top <= point.y && point.y <= box.bottom
             ? 1
             : 0;
}

int32_t PointInCircle(Vec2 point, Vec2 centre, float radius) {
  float dx = point.x - centre.x;
  float dy = point.y - centre.y;
  return radius * radius >= dx * dx + dy * dy ? 1 : 0;
}

int32_t CirclesOverlap(Vec2 centreA, float radiusA, Vec2 centreB, float radiusB) {
  float dx = centreA.x - centreB.x;
  float dy = centreA.y - centreB.y;
  float reach = radiusA + radiusB;
  return reach * reach >= dx * dx + dy * dy ? 1 : 0;
}
