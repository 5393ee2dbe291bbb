// The values a round's objects share instead of calling one another. Written
// in the tick (and at initialisation while ticks are paused), read by draws.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"
#include "engine/render/vector_math.h"

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
