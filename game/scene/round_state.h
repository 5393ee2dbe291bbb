// The values a round's objects share instead of calling one another. Written
// in the tick (and at initialisation while ticks are paused), read by draws.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"
#include "engine/render/vector_math.h"

// The round's score stays within 0 to kScoreMaximum, the most the counter
// and the best score file hold (eight digits).
constexpr int32_t kScoreMaximum = 99999999;
extern int32_t score;
extern int32_t comboCount;
extern int32_t ordersCleared;
extern int32_t plateCount;
extern int32_t plateResetCount;
extern int32_t playTicks;
extern Texture particleTexture;

extern float gaugeLevel;
extern int32_t gaugeStage;
extern bool roundFinishing;
extern bool finishFadeStarted;

extern bool selectionEnabled;
extern bool plateComplete;
extern bool boardChanging;
extern bool failMadeOnPlate;
extern bool perfectPlate;
extern bool feverActive;

extern Vec2 loadingBlockCell;

// total + points, held within 0 to kScoreMaximum.
int32_t ScoreAdd(int32_t total, int32_t points);
// A float's whole part as points, held within -kScoreMaximum to kScoreMaximum
// (NaN gives 0).
int32_t ScorePoints(float value);
