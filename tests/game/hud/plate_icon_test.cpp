// The new-plate icon: its flight to the customer, when a finger may take it,
// what a tap costs and the one ring of sparks it leaves, and a release that
// frees sparks still in the air.
#include "game/hud/plate_icon.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/app/app.h"
#include "game/field/customer.h"
#include "game/scene/round_state.h"
#include "support/engine/gl_test_context.h"

namespace {

const Vec2 kCustomerAtRest = {794.0f, 450.0f};

void PutCustomerAt(Vec2 at) { customer.character.sprite.pos = at; }

void ResetIcon(PlateIcon* p) {
  ParticleClear(&p->sparks);
  ParticleInit(&p->sparks);
  p->active = p->arrived = p->burst = p->consumed = false;
  p->speed = 0.0f;
  SpriteInit(&p->icon);
  p->icon.size = MakeVec2(64, 64);
}

void Finger(float x, float y, int32_t down) {
  touchSlots[0].x = x;
  touchSlots[0].y = y;
  touchSlots[0].down = down;
}

}  // namespace

TEST(PlateIconTest, FlightGrowsThenShrinksAndArrives) {
  PlateIcon& p = plateIcon;
  ResetIcon(&p);
  PutCustomerAt(kCustomerAtRest);
  PlateIconLaunch(&p, kCustomerAtRest.x, 310, 310);
  EXPECT_FLOAT_EQ(p.distance, 484.0f);
  EXPECT_TRUE(p.active);

  int ticks = 0;
  float lastWidth = p.icon.size.x;
  bool shrinking = false;
  while (!p.arrived && ticks < 1000) {
    const float xBefore = p.icon.pos.x;
    PlateIconFly(&p, kCustomerAtRest);
    ++ticks;
    if (p.arrived) break;
    if (p.icon.size.x == 80.0f && lastWidth < 0.2f + 2.0f * p.speed) {
      lastWidth = p.icon.size.x;  // snapped back after shrinking to nothing
      continue;
    }
    if (p.icon.pos.x >= 552.0f) {
      shrinking = true;
      EXPECT_LE(p.icon.size.x, lastWidth) << "tick " << ticks << " x " << p.icon.pos.x;
    } else {
      EXPECT_GE(p.icon.size.x, lastWidth) << "tick " << ticks;
      EXPECT_FALSE(shrinking);
    }
    EXPECT_GE(p.icon.pos.x, xBefore);
    lastWidth = p.icon.size.x;
  }
  EXPECT_TRUE(shrinking);
  ASSERT_TRUE(p.arrived) << "no arrival in 1000 ticks";
  EXPECT_LT(ticks, 200);
  EXPECT_FLOAT_EQ(p.icon.size.x, 80.0f);
  EXPECT_FLOAT_EQ(p.icon.size.y, 80.0f);
}

TEST(PlateIconTest, ShrinkingBelowAFifthOfAUnitSnapsBackTo80) {
  PlateIcon& p = plateIcon;
  ResetIcon(&p);
  p.active = true;
  p.icon.pos = MakeVec2(700, 450);
  p.icon.size = MakeVec2(1.0f, 1.0f);
  p.distance = 484.0f;
  p.speed = 2.0f;  // shrinks by 3: below 0.2
  PlateIconFly(&p, kCustomerAtRest);
  EXPECT_FALSE(p.arrived);
  EXPECT_FLOAT_EQ(p.icon.size.x, 80.0f);
  EXPECT_FLOAT_EQ(p.speed, 2.12f);
}

TEST(PlateIconTest, TapOnlyOnTheRestingIconOutsideAPlateChange) {
  struct Case {
    const char* name;
    bool arrived;
    bool changing;
    int32_t down;
    float dx, dy;  // finger relative to the icon's centre
    bool taken;
  } cases[] = {
      {"resting, centre", true, false, 1, 0, 0, true},
      {"resting, corner edge", true, false, 1, 40, -40, true},
      {"resting, just outside", true, false, 1, 40.5f, 0, false},
      {"resting, finger up", true, false, 0, 0, 0, false},
      {"plate changing", true, true, 1, 0, 0, false},
      {"still flying", false, false, 1, 0, 0, false},
  };
  for (const Case& c : cases) {
    PlateIcon& p = plateIcon;
    ResetIcon(&p);
    // The customer far away so that a flying icon does not arrive here.
    PutCustomerAt(c.arrived ? kCustomerAtRest : MakeVec2(2000, 2000));
    p.active = true;
    p.arrived = c.arrived;
    p.icon.pos = c.arrived ? MakeVec2(774, 500) : MakeVec2(500, 400);
    p.icon.size = MakeVec2(80, 80);
    boardChanging = c.changing;
    gaugeLevel = 300.0f;
    Finger(p.icon.pos.x + c.dx, p.icon.pos.y + c.dy, c.down);
    const Vec2 tappedAt = p.icon.pos;
    PlateIconUpdate(&p);
    EXPECT_EQ(p.consumed, c.taken) << c.name;
    EXPECT_FLOAT_EQ(gaugeLevel, c.taken ? 200.0f : 300.0f) << c.name;
    EXPECT_EQ(p.active, !c.taken) << c.name;
    EXPECT_EQ(p.sparks.count, c.taken ? 16 : 0) << c.name;
    if (!c.taken) continue;
    EXPECT_FLOAT_EQ(p.speed, 0.0f);
    // One ring: 16 directions 22.5 degrees apart at speed 12, one colour,
    // already one step out from the tapped spot.
    int i = 0;
    for (Particle* s = p.sparks.head; s != nullptr; s = s->next, ++i) {
      const float a = static_cast<float>(i) * 3.14159265f / 8.0f;
      EXPECT_NEAR(s->vx, 12.0f * std::sin(a), 1e-3) << i;
      EXPECT_NEAR(s->vy, 12.0f * std::cos(a), 1e-3) << i;
      EXPECT_NEAR(s->x, tappedAt.x + s->vx, 1e-3) << i;
      EXPECT_EQ(s->colorIndex, p.sparks.head->colorIndex);
      EXPECT_EQ(s->shapeIndex, 2);
    }
    // The finger stays: no second tap, no second ring.
    PlateIconUpdate(&p);
    EXPECT_FLOAT_EQ(gaugeLevel, 200.0f);
    EXPECT_EQ(p.sparks.count, 16);
  }
  boardChanging = false;
  Finger(0, 0, 0);
}

TEST(PlateIconTest, AFingerFollowingTheIconTakesItOnceAsItArrives) {
  PlateIcon& p = plateIcon;
  ResetIcon(&p);
  PutCustomerAt(kCustomerAtRest);
  boardChanging = false;
  gaugeLevel = 400.0f;
  PlateIconLaunch(&p, kCustomerAtRest.x, 310, 310);
  int taps = 0;
  int arrivalTick = -1;
  int tapTick = -1;
  for (int tick = 0; tick < 300; ++tick) {
    Finger(p.icon.pos.x, p.icon.pos.y, 1);
    const bool wasFlying = p.active && !p.arrived;
    PlateIconUpdate(&p);
    if (wasFlying && !p.active && arrivalTick < 0) arrivalTick = tick;
    if (p.consumed) {
      ++taps;
      tapTick = tick;
      p.consumed = false;
    }
  }
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(tapTick, arrivalTick) << "taken in the tick it arrives";
  EXPECT_FLOAT_EQ(gaugeLevel, 300.0f);
  // A new launch clears the burst, so the next tap rings again.
  PlateIconLaunch(&p, kCustomerAtRest.x, 310, 310);
  EXPECT_FALSE(p.burst);
  Finger(0, 0, 0);
}

TEST(PlateIconGlTest, ReleaseFreesSparksInTheAirAndTheSharedPicture) {
  EnsureGlWindow();
  PlateIcon& p = plateIcon;
  ParticleClear(&p.sparks);
  ASSERT_EQ(LoadTexture(&particleTexture, ContentsPath("particle.png")), 0);
  ASSERT_EQ(PlateIconInit(&p), 0);
  PutCustomerAt(kCustomerAtRest);
  p.active = p.arrived = true;
  p.icon.pos = MakeVec2(774, 500);
  Finger(774, 500, 1);
  PlateIconUpdate(&p);
  ASSERT_EQ(p.sparks.count, 16);
  PlateIconDraw(&p);
  PlateIconRelease(&p);
  EXPECT_EQ(p.sparks.count, 0);
  EXPECT_EQ(p.sparks.head, nullptr);
  EXPECT_EQ(p.texture, 0u);
  EXPECT_EQ(particleTexture, 0u);
  // The other owner of the picture releasing it afterwards is harmless.
  EXPECT_EQ(DeleteTexture(&particleTexture), 0);
  Finger(0, 0, 0);

  // A flight cut short by leaving the round does not speed up the next one.
  ASSERT_EQ(PlateIconInit(&p), 0);
  EXPECT_FLOAT_EQ(p.speed, 0.0f);
  PlateIconRelease(&p);
}
