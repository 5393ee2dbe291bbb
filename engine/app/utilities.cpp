// Small services for the whole program: the game's random integers and the
// three hit tests. (Asset paths are built in contents_folder.cpp.)
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "engine/app/app.h"

namespace {

// rand() is cut to 15 bits so every platform draws from 0 to 32767.
constexpr double kRandomSpan = 32768.0;

std::atomic<int32_t> randomSeeded{0};

}  // namespace

int32_t RandomInt(int32_t lo, int32_t hi) {
  int32_t unseeded = 0;
  if (randomSeeded.compare_exchange_strong(unseeded, 1)) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
  }
  int r = (std::rand() >> 8) & 0x7FFF;
  // In double: hi - lo + 1 overflows 32 bits for the widest ranges.
  double span = static_cast<double>(hi) - static_cast<double>(lo) + 1.0;
  return static_cast<int32_t>(static_cast<double>(lo) + std::trunc(r * span / kRandomSpan));
}

void SeedRandom(uint32_t seed) {
  randomSeeded.store(1);
  std::srand(seed);
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
