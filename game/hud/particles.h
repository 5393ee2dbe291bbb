// Spark bursts: each spark flies out, turns after 20 ticks toward an
// attractor and fades. Spawn and update run in the tick; the draw, which also
// frees dead sparks, runs in the frame. A lock per system keeps the draw's
// removal from overlapping an update or spawn of the same list.
#pragma once

#include <cstdint>
#include <mutex>

#include "engine/render/texture.h"
#include "engine/render/vector_math.h"

struct Particle {
  float x, y;
  float vx, vy;
  float alpha;
  int32_t colorIndex;
  int32_t shapeIndex;
  int32_t age;
  Particle* next;
};

struct ParticleSystem {
  Particle* head = nullptr;
  int32_t count = 0;
  Vec3 colors[4] = {};
  Vec2 shapes[3] = {};
  bool emitted = false;
  Vec2 attractor = {};
  bool killRequest = false;
  std::mutex lock;

  // Destroying a system frees the sparks its list still holds.
  ~ParticleSystem();
};

void ParticleInit(ParticleSystem* system);
void ParticleSpawn(ParticleSystem* system, float x, float y, float vx, float vy,
                   int32_t colorIndex, int32_t shapeIndex);
void ParticleUpdate(ParticleSystem* system);
void ParticleDraw(ParticleSystem* system, const Texture* texture);
bool ParticleGetEmitted(ParticleSystem* system);
void ParticleSetEmitted(ParticleSystem* system, bool emitted);
// Frees every particle (scene end and re-initialisation).
void ParticleClear(ParticleSystem* system);
