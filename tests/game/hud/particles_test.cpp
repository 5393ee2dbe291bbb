// Sparks: when they turn for home, when they die, the kill request, the blend
// modes of the draw and the list's safety across the tick and frame threads.
#include "game/hud/particles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "engine/render/sprite.h"
#include "support/engine/gl_test_context.h"

namespace {

int32_t Length(const ParticleSystem& s) {
  int32_t n = 0;
  for (const Particle* p = s.head; p != nullptr; p = p->next) ++n;
  return n;
}

TEST(Particles, FlyOwnWayFor20TicksThenHomeAtGrowingSpeed) {
  ParticleSystem s;
  ParticleInit(&s);
  ParticleSpawn(&s, 100, 300, 2, 1, 0, 2);
  for (int32_t i = 0; i < 20; ++i) ParticleUpdate(&s);
  EXPECT_FLOAT_EQ(s.head->x, 140);
  EXPECT_FLOAT_EQ(s.head->vx, 2);
  ParticleUpdate(&s);
  const float speed21 = std::hypot(s.head->vx, s.head->vy);
  EXPECT_NEAR(speed21, 6.0f, 1e-4);
  EXPECT_GT(s.head->vx, 0);  // toward (974, 60)
  EXPECT_LT(s.head->vy, 0);
  ParticleUpdate(&s);
  EXPECT_NEAR(std::hypot(s.head->vx, s.head->vy), 7.0f, 1e-4);
  // The owner may move the attractor for one update.
  s.attractor = MakeVec2(0, 0);
  ParticleUpdate(&s);
  EXPECT_LT(s.head->vx, 0);
  EXPECT_FLOAT_EQ(s.attractor.x, 974);
}

TEST(Particles, DieWithin32UnitsOfTheAttractorOrAfterFading) {
  struct Case {
    float x;
    bool dead;
  } cases[] = {{942.0f, true}, {941.5f, false}};
  for (const Case& c : cases) {
    ParticleSystem s;
    ParticleInit(&s);
    ParticleSpawn(&s, c.x, 60, 0, 0, 1, 2);
    for (int32_t i = 0; i < 21; ++i) ParticleUpdate(&s);
    EXPECT_EQ(s.head->alpha <= 0, c.dead) << c.x;
  }
  ParticleSystem far;
  ParticleInit(&far);
  ParticleSpawn(&far, -6000, 60, 0, 0, 1, 2);
  for (int32_t i = 0; i < 90; ++i) ParticleUpdate(&far);
  EXPECT_GT(far.head->alpha, 0);
  for (int32_t i = 0; i < 12; ++i) ParticleUpdate(&far);
  EXPECT_LE(far.head->alpha, 0);
}

TEST(Particles, KillRequestKillsTheFirstOnlyAndWaitsOnAnEmptyList) {
  EnsureGlWindow();
  ParticleSystem s;
  ParticleInit(&s);
  ParticleUpdate(&s);
  s.killRequest = true;
  ParticleUpdate(&s);
  EXPECT_TRUE(s.killRequest);
  for (int32_t i = 0; i < 3; ++i) ParticleSpawn(&s, 10.0f * i, 0, 0, 0, 0, 2);
  EXPECT_FALSE(s.killRequest);
  Particle* second = s.head->next;
  s.killRequest = true;
  ParticleUpdate(&s);
  EXPECT_FALSE(s.killRequest);
  EXPECT_LE(s.head->alpha, 0);
  EXPECT_GT(second->alpha, 0);
  ParticleDraw(&s, nullptr);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(Length(s), 2);
  EXPECT_EQ(s.head, second);
}

TEST(Particles, EmptyDrawLeavesNormalBlendingBehind) {
  EnsureGlWindow();
  SetScreenSize(1024, 576);
  const uint8_t white[4] = {255, 255, 255, 255};
  Texture tex = 0;
  ASSERT_EQ(CreateTextureFromPixels(&tex, 1, 1, kPixelRgba, white), 0);
  Sprite quad;
  SpriteInit(&quad);
  quad.pos = MakeVec2(512, 288);
  quad.size = MakeVec2(200, 200);
  quad.color = MakeColor(1, 1, 1, 0.5f);
  struct Case {
    int32_t before;
  } cases[] = {{3}, {1}, {4}};
  for (const Case& c : cases) {
    SetClearColor(0.5f, 0.5f, 0.5f, 1);
    ClearScreen();
    SetBlendMode(c.before);
    ParticleSystem empty;
    ParticleInit(&empty);
    ParticleDraw(&empty, &tex);
    DrawSprite(&quad, &tex);
    // Half white over mid grey with alpha blending: three quarters.
    EXPECT_NEAR(PixelAt(512, 288).r, 191, 2) << "blend mode before " << c.before;
  }
  DeleteTexture(&tex);
}

TEST(Particles, DrawAddsSparksUpAndFreesTheDead) {
  EnsureGlWindow();
  SetScreenSize(1024, 576);
  const uint8_t white[4] = {255, 255, 255, 255};
  Texture tex = 0;
  ASSERT_EQ(CreateTextureFromPixels(&tex, 1, 1, kPixelRgba, white), 0);
  SetClearColor(0, 0, 0, 1);
  ClearScreen();
  ParticleSystem s;
  ParticleInit(&s);
  ParticleSpawn(&s, 300, 300, 0, 0, 2, 2);  // yellow
  ParticleSpawn(&s, 300, 300, 0, 0, 2, 2);
  ParticleSpawn(&s, 600, 300, 0, 0, 0, 2);  // blue, killed below
  s.head->next->next->alpha = 0;
  ParticleDraw(&s, &tex);
  // Two yellow sparks at full alpha add up; the dead one left no mark.
  EXPECT_EQ(PixelAt(300, 300), (Color4{255, 255, 0, 255}));
  EXPECT_EQ(PixelAt(600, 300).b, 0);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(Length(s), 2);
  // Re-initialising frees what is left (the leak checker watches this).
  ParticleInit(&s);
  EXPECT_EQ(s.head, nullptr);
  EXPECT_EQ(s.count, 0);
  DeleteTexture(&tex);
}

TEST(Particles, TickThreadSpawnsAndUpdatesWhileTheFrameDrawsAndFrees) {
  EnsureGlWindow();
  ParticleSystem s;
  ParticleInit(&s);
  std::atomic<bool> done{false};
  std::thread tick([&] {
    for (int32_t round = 0; round < 300; ++round) {
      for (int32_t i = 0; i < 16; ++i) ParticleSpawn(&s, 500, 300, i - 8.0f, 8.0f - i, i % 4, 2);
      for (int32_t i = 0; i < 5; ++i) {
        s.killRequest = true;
        ParticleUpdate(&s);
      }
    }
    done = true;
  });
  while (!done) ParticleDraw(&s, nullptr);
  tick.join();
  ParticleDraw(&s, nullptr);
  EXPECT_EQ(s.count, Length(s));
}

}  // namespace
