// The scripted finger: plans a drag per plate and follows it block centre by
// block centre, pressed from the first block to the last.
#include "game/scene/scripted_finger.h"

#include "engine/app/app.h"
#include "game/field/board.h"
#include "game/field/plate_plan.h"
#include "game/hud/plate_icon.h"
#include "game/scene/key_play.h"
#include "game/scene/round_record.h"
#include "game/scene/game_scene.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"

namespace {

// The longest drag planned, by drag in turn: long serves and short ones.
constexpr int kDragLengths[] = {27, 8, 18, 12, 24, 6};
constexpr int kDragLengthCount = sizeof kDragLengths / sizeof kDragLengths[0];
// The plate's first block centre at rest, and the step between blocks.
constexpr float kFirstX = 75.0f;
constexpr float kFirstY = 125.0f;
constexpr float kCellStep = 95.0f;
constexpr int32_t kTapHoldTicks = 3;

Vec2 CellCentre(int cell) {
  return MakeVec2(kFirstX + static_cast<float>(cell % 6) * kCellStep,
                  kFirstY + static_cast<float>(cell / 6) * kCellStep);
}

// One tick's move towards target; true once there.
bool MoveTowards(Vec2* at, Vec2 target, float speed) {
  const Vec2 d = Vec2Sub(target, *at);
  const float length = Vec2Length(d);
  if (length <= speed) {
    *at = target;
    return true;
  }
  *at = Vec2Add(*at, MakeVec2(d.x * speed / length, d.y * speed / length));
  return false;
}

bool PlateReady() { return selectionEnabled && !board.slidingIn && !boardChanging; }

// Two neighbouring blocks of one kind: picked together they fail.
std::vector<int> FailingDrag(const int types[kGridCells]) {
  for (int i = 0; i < kGridCells; ++i) {
    if (i % 6 < 5 && types[i] == types[i + 1]) return {i, i + 1};
    if (i + 6 < kGridCells && types[i] == types[i + 6]) return {i, i + 6};
  }
  return {};
}

// The drag the finger makes on this plate.
std::vector<int> ChooseDrag(const ScriptedFinger& f, const int types[kGridCells]) {
  if (f.script == FingerScript::kEveryRule) {
    if (f.drags == 0) {
      std::vector<int> failing = FailingDrag(types);
      if (!failing.empty()) return failing;
    }
    if (plateCount > 0 && GameSceneWantsBonusLayout(plateCount, -1.0f)) return PlanDrag(types, kGridCells);
    if (plateCount < 7) return PlanDrag(types, 3);
  }
  return PlanDrag(types, kDragLengths[f.drags % kDragLengthCount]);
}

}  // namespace

void ScriptedFingerStep(ScriptedFinger* f) {
  bool down = false;
  if (f->cells.empty() && plateIcon.arrived && !boardChanging) {
    // The icon first: it lowers the gauge and brings a new plate.
    if (MoveTowards(&f->at, plateIcon.icon.pos, f->speed)) {
      // A tap the icon did not take (it moved away) is made again.
      f->tapTicks = f->tapTicks > 4 * kTapHoldTicks ? 0 : f->tapTicks + 1;
      down = f->tapTicks <= kTapHoldTicks;
    }
  } else if (f->cells.empty() && PlateReady()) {
    f->tapTicks = 0;
    int types[kGridCells];
    for (int i = 0; i < kGridCells; ++i) types[i] = board.grid.blocks[i].type;
    f->cells = ChooseDrag(*f, types);
    if (f->cells.empty()) f->cells = SnakeDrag();
    f->next = 0;
  }
  if (!f->cells.empty()) {
    const bool reached = MoveTowards(&f->at, CellCentre(f->cells[f->next]), f->speed);
    // Pressed from the first block on; let go once the last is reached.
    down = f->next > 0 || reached;
    if (reached && ++f->next == f->cells.size()) {
      f->cells.clear();
      f->drags += 1;
      down = false;
    }
  }
  InputMouseMove(f->at.x, f->at.y);
  InputMouseButton(down ? 1 : 0);
}

bool ScriptedRoundPlay(uint32_t seed, int32_t maxTicks, Replay* replay, FingerScript script) {
  SetHeadless(true);
  // From untouched input: the round's start record is the same every time.
  InputReset(1024, 576);
  for (TouchSlot& slot : touchSlots) slot = TouchSlot{};
  SetTouchArea(1024.0f, 576.0f);
  KeyPlayInit(&keyPlay);
  RoundRecordSeedNext(seed);
  SceneChanger changer;
  sceneChanger = &changer;
  bool ended = false;
  if (changer.Change(kSceneGame) == 0) {
    ScriptedFinger finger;
    finger.script = script;
    for (int32_t t = 0; t < maxTicks && !roundRecord.ended; ++t) {
      ScriptedFingerStep(&finger);
      GameTick();
    }
    ended = roundRecord.ended;
    if (ended) *replay = roundRecord.replay;
  }
  changer.Release();
  sceneChanger = nullptr;
  return ended;
}
