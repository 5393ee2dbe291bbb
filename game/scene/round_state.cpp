// The values a round's objects share. Everything starts at zero with the
// program; the game scene, the HUD and the board reset what they own.
#include "game/scene/round_state.h"

int32_t score;
int32_t comboCount;
int32_t ordersCleared;
int32_t plateCount;
int32_t plateResetCount;
int32_t playTicks;
Texture particleTexture;

float gaugeLevel;
int32_t gaugeStage;
bool roundFinishing;
bool finishFadeStarted;

bool selectionEnabled;
bool plateComplete;
bool boardChanging;
bool failMadeOnPlate;
bool perfectPlate;
bool feverActive;

Vec2 loadingBlockCell;

int32_t ScoreAdd(int32_t total, int32_t points) {
  const int64_t sum = int64_t{total} + points;
  if (sum < 0) return 0;
  return sum > kScoreMaximum ? kScoreMaximum : static_cast<int32_t>(sum);
}

int32_t ScorePoints(float value) {
  if (!(value == value)) return 0;
  if (value >= static_cast<float>(kScoreMaximum)) return kScoreMaximum;
  if (value <= -static_cast<float>(kScoreMaximum)) return -kScoreMaximum;
  return static_cast<int32_t>(value);
}
