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

TEST(RandomInt, StaysInRangeAndReachesEveryValue) {
  SeedRandom(12345);
  const struct {
    int32_t lo, hi, draws;
    bool all;
  } cases[] = {{0, 0, 1000, true}, {0, 28, 3000, true}, {-3, 3, 1000, true},
               {5, 6, 1000, true}, {INT_MIN, INT_MAX, 1000, false}};
  for (const auto& c : cases) {
    std::set<int32_t> seen;
    for (int i = 0; i < c.draws; ++i) seen.insert(RandomInt(c.lo, c.hi));
    EXPECT_GE(*seen.begin(), c.lo);
    EXPECT_LE(*seen.rbegin(), c.hi);
    if (c.all) { EXPECT_EQ(static_cast<int64_t>(seen.size()), int64_t{c.hi} - c.lo + 1) << c.lo; }
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
  std::vector<int32_t> mine, theirs;
  SeedRandom(7);
  for (int i = 0; i < 3000; ++i) mine.push_back(RandomInt(0, 28));
  SeedRandom(7);
  std::thread([&theirs] { for (int i = 0; i < 3000; ++i) theirs.push_back(RandomInt(0, 28)); }).join();
  EXPECT_EQ(mine, theirs);
  EXPECT_EQ(std::set<int32_t>(theirs.begin(), theirs.end()).size(), 29u);
}

}  // namespace
