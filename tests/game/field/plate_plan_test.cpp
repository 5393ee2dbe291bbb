// The scripted player's recipe rules and drag planner: the rules must agree
// with the game's (a planner that believes in sweets the game does not make
// would play rounds that never end), and a planned drag must be one a finger
// can make.
#include "game/field/plate_plan.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

RecipeState Play(const std::string& picks) {
  RecipeState state;
  for (char c : picks) RecipePick(&state, c - '0');
  return state;
}

TEST(RecipeRules, SweetsFailuresAndUpgrades) {
  struct Case {
    const char* picks;
    int sweets, failed, lastKind;
    bool leftovers;
  } cases[] = {
      {"01", 0, 0, 0, true},
      {"010", 1, 1, -1, false},  // a type twice: failed sweet of all three
      {"012", 1, 0, 1, false},
      {"201", 1, 0, 1, false},
      {"0124", 1, 0, 2, false},   // kind 1 grows into kind 2 in its slot
      {"01243", 1, 0, 3, false},  // and kind 2 into kind 3
      {"01234", 1, 0, 3, false},  // 3 then 4 after kind 1: kind 3
      {"0142", 1, 0, 2, false},   // all four basics at once: kind 2
      {"03142", 1, 0, 3, false},  // all five: kind 3
      {"0123", 1, 0, 1, true},    // the 3 waits for a 4
      {"012012", 2, 0, 1, false},
      {"0120", 1, 0, 1, true},
      {"0104", 1, 1, -1, true},  // a failed sweet is never upgraded
      {"01243012", 2, 0, 1, false},
  };
  for (const Case& c : cases) {
    RecipeState s = Play(c.picks);
    SCOPED_TRACE(c.picks);
    EXPECT_EQ(s.sweets, c.sweets);
    EXPECT_EQ(s.failed, c.failed);
    EXPECT_EQ(s.lastKind, c.lastKind);
    EXPECT_EQ(RecipeHasLeftovers(s), c.leftovers);
  }
}

// The drag is one a finger can make on the game's grid and ends with
// sweets only: checked by replaying it through the rules.
void ExpectPlayableDrag(const int types[30], const std::vector<int>& cells, int maxLength) {
  ASSERT_FALSE(cells.empty());
  EXPECT_LE(static_cast<int>(cells.size()), maxLength);
  std::set<int> seen;
  RecipeState state;
  for (size_t i = 0; i < cells.size(); ++i) {
    int c = cells[i];
    ASSERT_TRUE(c >= 0 && c < 30);
    EXPECT_TRUE(seen.insert(c).second) << "cell " << c << " picked twice";
    if (i > 0) {
      int p = cells[i - 1];
      bool sideways = p / 6 == c / 6 && (c == p - 1 || c == p + 1);
      bool upDown = c == p - 6 || c == p + 6;
      EXPECT_TRUE(sideways || upDown) << p << " -> " << c << " are not neighbours";
    }
    RecipePick(&state, types[c]);
  }
  EXPECT_EQ(state.failed, 0);
  EXPECT_FALSE(RecipeHasLeftovers(state));
}

TEST(PlanDrag, FindsPlayableDragsOnKnownPlates) {
  struct Case {
    const char* name;
    const char* plate;  // row by row
    int maxLength;
    int atLeastSweets;
  } cases[] = {
      {"every seventh plate", "012012012012012012012012012012", 27, 9},
      {"a drag of three at most", "012012012012012012012012012012", 3, 1},
      {"rows of one type, fourth orders", "000000111111222222444444012012", 27, 6},
      {"a shuffled plate", "220001010222200110111122211002", 27, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int types[30];
    for (int i = 0; i < 30; ++i) types[i] = c.plate[i] - '0';
    std::vector<int> cells = PlanDrag(types, c.maxLength);
    ExpectPlayableDrag(types, cells, c.maxLength);
    RecipeState state;
    for (int cell : cells) RecipePick(&state, types[cell]);
    EXPECT_GE(state.sweets, c.atLeastSweets);
  }
}

TEST(PlanDrag, NothingWhenNoSweetCanBeMade) {
  int types[30];
  for (int i = 0; i < 30; ++i) types[i] = i < 15 ? 0 : 1;
  EXPECT_TRUE(PlanDrag(types, 27).empty());
}

}  // namespace
