// Small services for the whole program: asset paths under ./contents, the
// game's random integers and the three hit tests.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/app/app.h"

namespace {

constexpr size_t kContentsPathSize = 264;
constexpr char kContentsPrefix[] = "./contents/";
// rand() is cut to 15 bits so every platform draws from 0 to 32767.
constexpr double kRandomSpan = 32768.0;

// One buffer per thread: the music thread and the main thread may build paths
// at the same time without overwriting each other's.
thread_local char contentsPath[kContentsPathSize];
std::atomic<int32_t> randomSeeded{0};

}  // namespace

const char* ContentsPath(const char* fileName) {
  size_t prefixLength = sizeof kContentsPrefix - 1;
  size_t nameLength = fileName ? std::strlen(fileName) : 0;
  // A name that does not fit gives an empty path, which opens nothing; a cut
  // name could name a different file.
  if (!fileName || prefixLength + nameLength >= kContentsPathSize) {
    contentsPath[0] = '\0';
    return contentsPath;
  }
  std::memcpy(contentsPath, kContentsPrefix, prefixLength);
  std::memcpy(contentsPath + prefixLength, fileName, nameLength + 1);
  return contentsPath;
}

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
