// The scripted player's plan for one plate: a drag through neighbouring
// blocks that makes as many sweets as it can and no failed one, found by a
// bounded depth-first search over the recipe rules as the game applies them.
#pragma once

#include <vector>

// What a sequence of picks makes so far.
struct RecipeState {
  int counts[5] = {0, 0, 0, 0, 0};
  int lastKind = 0;  // kind of the last sweet made: 0 none, -1 failed, 1..3
  int sweets = 0;    // sweets made (an upgrade re-makes one, it does not add)
  int failed = 0;    // failed sweets made
};

// Adds one pick of type t, with the game's rules: upgrades of the last sweet,
// a failed sweet on a repeated type, kinds 3, 2 and 1 on complete sets.
void RecipePick(RecipeState* state, int t);
bool RecipeHasLeftovers(const RecipeState& state);

// Cells of a drag (row by row numbering, 6 across), each a horizontal or
// vertical neighbour of the one before, that leaves no leftover picks and
// makes no failed sweet, at most maxLength long; the most sweets found within
// the search budget. Empty when no sweet can be made.
std::vector<int> PlanDrag(const int types[30], int maxLength);

// Drag through every cell, row by row in alternating directions.
std::vector<int> SnakeDrag();
