// Spark bursts: a singly linked list of heap particles per system. Sparks fly
// out, home on the attractor after 20 ticks, fade, and are freed by the draw.
// The system's lock is held for every list walk, so the draw's removal never
// overlaps an update or a spawn running on the timer thread.
#include "game/hud/particles.h"

#include <vector>

#include "engine/app/app.h"
#include "engine/render/sprite.h"

namespace {

constexpr float kAttractorX = 974.0f;
constexpr float kAttractorY = 60.0f;
constexpr int32_t kHomingAge = 20;
constexpr int32_t kHomingSpeedOffset = 15;
constexpr float kCatchRadius = 32.0f;
constexpr float kFadeStep = 0.01f;
constexpr float kQuadSize = 64.0f;
constexpr float kShapeCell = 0.5f;

void FreeList(ParticleSystem* system) {
  Particle* p = system->head;
  while (p != nullptr) {
    Particle* next = p->next;
    delete p;
    p = next;
  }
  system->head = nullptr;
  system->count = 0;
}

}  // namespace

ParticleSystem::~ParticleSystem() { FreeList(this); }

void ParticleInit(ParticleSystem* system) {
  std::lock_guard<std::mutex> guard(system->lock);
  FreeList(system);
  system->colors[0] = MakeVec3(0.0f, 0.0f, 1.0f);
  system->colors[1] = MakeVec3(0.0f, 1.0f, 0.0f);
  system->colors[2] = MakeVec3(1.0f, 1.0f, 0.0f);
  system->colors[3] = MakeVec3(0.0f, 1.0f, 1.0f);
  system->shapes[0] = MakeVec2(0.0f, 0.0f);
  system->shapes[1] = MakeVec2(0.5f, 0.0f);
  system->shapes[2] = MakeVec2(0.0f, 0.5f);
  system->emitted = false;
  system->killRequest = false;
  system->attractor = MakeVec2(kAttractorX, kAttractorY);
}

void ParticleSpawn(ParticleSystem* system, float x, float y, float vx, float vy,
                   int32_t colorIndex, int32_t shapeIndex) {
  Particle* p = new Particle{x, y, vx, vy, 1.0f, colorIndex, shapeIndex, 0, nullptr};
  std::lock_guard<std::mutex> guard(system->lock);
  // No tail pointer is kept: bursts are short, the walk is cheap.
  Particle** link = &system->head;
  while (*link != nullptr) link = &(*link)->next;
  *link = p;
  system->count += 1;
  system->attractor = MakeVec2(x, y);
  system->killRequest = false;
}

void ParticleUpdate(ParticleSystem* system) {
  std::lock_guard<std::mutex> guard(system->lock);
  for (Particle* p = system->head; p != nullptr; p = p->next) {
    p->age += 1;
    p->x += p->vx;
    p->y += p->vy;
    if (p->age > kHomingAge) {
      Vec2 position = MakeVec2(p->x, p->y);
      Vec2 toward = Vec2Normalize(Vec2Sub(system->attractor, position));
      float speed = static_cast<float>(p->age - kHomingSpeedOffset);
      p->vx = toward.x * speed;
      p->vy = toward.y * speed;
      if (PointInCircle(position, system->attractor, kCatchRadius)) p->alpha = 0.0f;
    }
    if (system->killRequest) {
      p->alpha = 0.0f;
      system->killRequest = false;
    }
    if (p->alpha > 0.0f) p->alpha -= kFadeStep;
  }
  system->attractor = MakeVec2(kAttractorX, kAttractorY);
}

void ParticleDraw(ParticleSystem* system, const Texture* texture) {
  // The quads are taken from the list under the lock and drawn after it is
  // released, so no GL call (and no lock inside the driver) ever runs while
  // the list is held.
  struct Quad {
    float x, y, r, g, b, a, u, v;
  };
  static thread_local std::vector<Quad> quads;
  quads.clear();
  {
    std::lock_guard<std::mutex> guard(system->lock);
    for (const Particle* p = system->head; p != nullptr; p = p->next) {
      // Indices come from the owners; keep an odd one inside the tables.
      const Vec3& c = system->colors[static_cast<uint32_t>(p->colorIndex) % 4];
      const Vec2& s = system->shapes[static_cast<uint32_t>(p->shapeIndex) % 3];
      quads.push_back(Quad{p->x, p->y, c.x, c.y, c.z, p->alpha, s.x, s.y});
    }
  }
  SetBlendMode(kBlendAdditive);
  BindDrawTexture(texture);
  SetQuadCentered(kQuadSize, kQuadSize);
  for (const Quad& q : quads) {
    SetDrawPosition(q.x, q.y, 0.0f);
    SetDrawColor(q.r, q.g, q.b, q.a);
    SetDrawUV(q.u, q.v, kShapeCell, kShapeCell);
    DrawQuad();
  }
  SetBlendMode(kBlendAlpha);

  std::lock_guard<std::mutex> guard(system->lock);
  Particle** link = &system->head;
  while (*link != nullptr) {
    Particle* p = *link;
    if (p->alpha <= 0.0f) {
      *link = p->next;
      delete p;
      system->count -= 1;
    } else {
      link = &p->next;
    }
  }
}

bool ParticleGetEmitted(ParticleSystem* system) { return system->emitted; }

void ParticleSetEmitted(ParticleSystem* system, bool emitted) { system->emitted = emitted; }

void ParticleClear(ParticleSystem* system) {
  std::lock_guard<std::mutex> guard(system->lock);
  FreeList(system);
}
