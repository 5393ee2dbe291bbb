// Recipe rules for the planner and the bounded search for a good drag.
#include "game/field/plate_plan.h"

namespace {

constexpr long kBudgetPerStart = 400000;

void MakeSweet(RecipeState* s, int kind, bool upgrade) {
  if (!upgrade) s->sweets += 1;
  if (kind < 0) s->failed += 1;
  s->lastKind = kind;
  for (int& c : s->counts) c = 0;
}

bool Neighbours(int a, int b) {
  if (a / 6 == b / 6) return b == a - 1 || b == a + 1;
  return b == a - 6 || b == a + 6;
}

struct Search {
  const int* types;
  int maxLength;
  long budget;
  std::vector<int> path, best;
  int bestSweets = 0;
  bool used[30] = {};

  void Visit(int cell, RecipeState state) {
    if (--budget < 0) return;
    RecipePick(&state, types[cell]);
    if (state.failed > 0) return;
    used[cell] = true;
    path.push_back(cell);
    if (!RecipeHasLeftovers(state) && state.sweets > bestSweets) {
      bestSweets = state.sweets;
      best = path;
    }
    if (static_cast<int>(path.size()) < maxLength) {
      const int steps[4] = {1, -1, 6, -6};
      // Neighbours whose type is still missing from the sweet in progress first.
      for (int pass = 0; pass < 2; ++pass) {
        for (int step : steps) {
          int next = cell + step;
          if (next < 0 || next >= 30 || used[next] || !Neighbours(cell, next)) continue;
          bool wanted = state.counts[types[next]] == 0;
          if (wanted == (pass == 0)) Visit(next, state);
        }
      }
    }
    path.pop_back();
    used[cell] = false;
  }
};

}  // namespace

void RecipePick(RecipeState* s, int t) {
  s->counts[t] += 1;
  const int* c = s->counts;
  bool basicsEmpty = c[0] == 0 && c[1] == 0 && c[2] == 0;
  if (c[4] == 1 && basicsEmpty && c[3] == 1 && s->lastKind == 1) return MakeSweet(s, 3, true);
  if (c[4] == 1 && basicsEmpty && c[3] == 0 && s->lastKind == 1) return MakeSweet(s, 2, true);
  if (c[3] == 1 && basicsEmpty && c[4] == 0 && s->lastKind == 2) return MakeSweet(s, 3, true);
  for (int k = 0; k < 5; ++k)
    if (c[k] > 1) return MakeSweet(s, -1, false);
  bool basics = c[0] == 1 && c[1] == 1 && c[2] == 1;
  if (basics && c[3] == 1 && c[4] == 1) return MakeSweet(s, 3, false);
  if (basics && c[3] == 0 && c[4] == 1) return MakeSweet(s, 2, false);
  if (basics && c[3] == 0 && c[4] == 0) return MakeSweet(s, 1, false);
}

bool RecipeHasLeftovers(const RecipeState& s) {
  for (int c : s.counts)
    if (c > 0) return true;
  return false;
}

std::vector<int> PlanDrag(const int types[30], int maxLength) {
  Search search;
  search.types = types;
  search.maxLength = maxLength;
  for (int start = 0; start < 30; ++start) {
    search.budget = kBudgetPerStart;
    search.Visit(start, RecipeState{});
  }
  return search.best;
}

std::vector<int> SnakeDrag() {
  std::vector<int> cells;
  for (int row = 0; row < 5; ++row)
    for (int k = 0; k < 6; ++k) cells.push_back(row * 6 + (row % 2 == 0 ? k : 5 - k));
  return cells;
}
