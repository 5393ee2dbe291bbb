// The scripted finger: raw mouse input into the engine, then the same
// per-tick touch sampling the game's tick performs around its update.
#include "support/game/play_harness.h"

#include <cstring>

#include "engine/app/app.h"
#include "engine/render/sprite.h"
#include "game/field/board.h"
#include "game/field/customer.h"
#include "game/field/sweet.h"
#include "game/scene/round_record.h"
#include "game/scene/round_state.h"
#include "support/engine/gl_test_context.h"

namespace play {

namespace {
constexpr float kPlateX = 75.0f;
constexpr float kPlateY = 125.0f;
constexpr float kCellSize = 95.0f;
}  // namespace

void Start(uint32_t seed) {
  EnsureGlWindow();
  SetScreenSize(1024.0f, 576.0f);
  SetTouchArea(1024.0f, 576.0f);
  InputMouseButton(0);
  InputMouseMove(0.0f, 0.0f);
  std::memset(&touchSlots[0], 0, sizeof(touchSlots[0]));
  // The draws of this setup, and of the next round a scene change starts.
  SeedRandom(seed);
  RoundRecordSeedNext(seed);
}

Vec2 BlockCentreAt(int32_t index, float plateX, float plateY) {
  return MakeVec2(plateX + static_cast<float>(index % 6) * kCellSize,
                  plateY + static_cast<float>(index / 6) * kCellSize);
}

Vec2 BlockCentre(int32_t index) { return BlockCentreAt(index, kPlateX, kPlateY); }

void RunTick(const TickFn& update) {
  SampleTouchSlots();
  if (update) update();
  RefreshTouchLastPositions();
  FinishTouchTick();
}

Finger::Finger(TickFn update, DrawFn draw) : update_(std::move(update)), draw_(std::move(draw)) {}

void Finger::Tick() {
  RunTick(update_);
  if (draw_) draw_();
  ticks_ += 1;
}

void Finger::Press(float x, float y) {
  InputMouseMove(x, y);
  InputMouseButton(1);
  Tick();
}

void Finger::MoveTo(float x, float y) {
  InputMouseMove(x, y);
  Tick();
}

void Finger::MoveThrough(const std::vector<Vec2>& points) {
  for (const Vec2& p : points) MoveTo(p);
}

void Finger::Drag(const std::vector<Vec2>& points) {
  if (points.empty()) return;
  Press(points[0]);
  for (size_t i = 1; i < points.size(); ++i) MoveTo(points[i]);
}

int32_t StartField() {
  score = 0;
  comboCount = 0;
  ordersCleared = 0;
  plateCount = 0;
  plateResetCount = 0;
  gaugeLevel = 0.1f;
  gaugeStage = 0;
  roundFinishing = false;
  finishFadeStarted = false;
  selectionEnabled = false;
  plateComplete = false;
  failMadeOnPlate = false;
  perfectPlate = false;
  feverActive = false;
  LoadTexture(&particleTexture, ContentsPath("particle.png"));
  CustomerInit(&customer);
  return BoardInit(&board);
}

void FieldTick() {
  playTicks += 1;
  CustomerUpdate(&customer);
  BoardUpdate(&board);
}

void FieldDraw() {
  BoardDraw(&board);
  CustomerDraw(&customer);
  for (Sweet& sweet : sweetSlots) SweetDraw(&sweet);
}

void SettleField() {
  for (int32_t i = 0; i < 100 && !(selectionEnabled && !board.slidingIn); ++i) {
    RunTick(FieldTick);
    FieldDraw();
  }
}

void EndField() {
  CustomerRelease(&customer);
  BoardRelease(&board);
  DeleteTexture(&particleTexture);
}

Finger FieldFinger() { return Finger(FieldTick, FieldDraw); }

void Finger::Lift() {
  InputMouseButton(0);
  Tick();
}

void Finger::Hold(int32_t ticks) {
  for (int32_t i = 0; i < ticks; ++i) Tick();
}

void Finger::DragBlocks(const std::vector<int32_t>& blocks) {
  std::vector<Vec2> points;
  for (int32_t b : blocks) points.push_back(BlockCentre(b));
  Drag(points);
}

}  // namespace play
