// The game's random integers on every thread that draws, and the plates they
// shuffle.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <thread>
#include <vector>

#include "engine/app/app.h"
#include "game/field/board.h"

namespace {

std::vector<int32_t> Draws(int32_t count) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < count; ++i) out.push_back(RandomInt(0, 28));
  return out;
}

TEST(RandomInt, StaysInRangeAndReachesEveryValue) {
  SeedRandom(12345);
  struct Case {
    int32_t lo, hi;
    int draws;
    bool expectAllValues;
  };
  const Case cases[] = {
      {0, 0, 1000, true},         {0, 28, 3000, true}, {-3, 3, 1000, true},
      {5, 6, 1000, true},         {INT_MIN, INT_MAX, 1000, false},
  };
  for (const Case& c : cases) {
    std::set<int32_t> seen;
    for (int i = 0; i < c.draws; ++i) {
      int32_t v = RandomInt(c.lo, c.hi);
      ASSERT_GE(v, c.lo);
      ASSERT_LE(v, c.hi);
      seen.insert(v);
    }
    if (c.expectAllValues) {
      EXPECT_EQ(static_cast<int64_t>(seen.size()), int64_t{c.hi} - c.lo + 1) << c.lo << ".." << c.hi;
    }
  }
  // Two seeds, two different plates; one seed, the same plate again.
  auto plate = [](uint32_t seed) {
    static BlockGrid grid;
    SeedRandom(seed);
    GridLayout(&grid, 75, 125);
    std::vector<int32_t> types;
    for (int32_t i = 0; i < kGridCells; ++i) types.push_back(grid.blocks[i].type);
    return types;
  };
  EXPECT_NE(plate(1), plate(2));
  EXPECT_EQ(plate(3), plate(3));
}

// The tick thread draws too: it follows the same seed and reaches every value.
TEST(RandomInt, AnotherThreadFollowsTheSameSeed) {
  SeedRandom(7);
  const std::vector<int32_t> mine = Draws(3000);
  std::vector<int32_t> theirs;
  SeedRandom(7);
  std::thread tick([&theirs] { theirs = Draws(3000); });
  tick.join();
  EXPECT_EQ(mine, theirs);
  EXPECT_EQ(std::set<int32_t>(theirs.begin(), theirs.end()).size(), 29u);
}

}  // namespace
