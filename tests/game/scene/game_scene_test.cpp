// The game scene: which plates get the fixed pattern, the freeze while the
// pause menu is up, the round state left for the next round, and a whole
// round played by a scripted finger until the clear scene is asked for, with
// screenshots, the plate counts on standard output and the round's costs.
#include "game/scene/game_scene.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/app/app.h"
#include "engine/render/sprite.h"
#include "game/field/board.h"
#include "game/field/customer.h"
#include "game/field/sweet.h"
#include "game/hud/hud.h"
#include "game/hud/pause_menu.h"
#include "game/scene/fade.h"
#include "game/scene/round_state.h"
#include "game/scene/scene.h"
#include "support/engine/gl_test_context.h"
#include "support/game/play_harness.h"

namespace {

void GameTickStep() {
  play::RunTick([] {
    if (sceneChanger != nullptr) sceneChanger->Update();
    if (FadeIsActive()) FadeUpdate();
  });
}

void DrawFrame() {
  ClearScreen();
  if (sceneChanger != nullptr) sceneChanger->Draw();
  if (FadeIsActive()) FadeDraw();
  SetDrawColor(1, 1, 1, 1);
  SetDrawRotation(0);
}

void SaveShot(const char* name) {
  DrawFrame();
  std::vector<uint8_t> pixels = ReadFramePixels();
  mkdir("test-shots", 0755);
  const std::string path = std::string("test-shots/") + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, kTestFrameWidth, kTestFrameHeight, 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t row = 0; row < kTestFrameHeight; ++row) {
    png_write_row(png, &pixels[static_cast<size_t>(row) * kTestFrameWidth * 4]);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

// Sum of the sizes of every live GL texture, 4 bytes a texel.
size_t TextureBytes() {
  size_t bytes = 0;
  for (GLuint name = 1; name < 4096; ++name) {
    if (!glIsTexture(name)) continue;
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    bytes += static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return bytes;
}

size_t ResidentBytes() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The fixed pattern of a seventh plate, by orders cleared.
std::vector<int32_t> BonusPattern(int32_t orders) {
  const char* rows = orders >= 7   ? "000000111111222222044440123321"
                     : orders >= 4 ? "000000111111222222444444012012"
                                   : "012012012012012012012012012012";
  std::vector<int32_t> types;
  for (const char* c = rows; *c != '\0'; ++c) types.push_back(*c - '0');
  return types;
}

std::vector<int32_t> PlateTypes() {
  std::vector<int32_t> types;
  for (int i = 0; i < kGridCells; ++i) types.push_back(board.grid.blocks[i].type);
  return types;
}

// A greedy drag: from each start, step to a neighbour whose type the sweet in
// the making still lacks; keep the start that completes the most sweets.
std::vector<int32_t> PlanDrag(const std::vector<int32_t>& types) {
  std::vector<int32_t> best;
  int bestSweets = -1;
  for (int start = 0; start < kGridCells; ++start) {
    std::vector<int32_t> path = {start};
    std::set<int32_t> picked = {start};
    std::set<int32_t> pending = {types[start]};
    int sweets = 0;
    int at = start;
    for (;;) {
      if (pending.count(0) && pending.count(1) && pending.count(2)) {
        ++sweets;
        pending.clear();
      }
      int next = -1;
      const int candidates[4] = {at % 6 > 0 ? at - 1 : -1, at % 6 < 5 ? at + 1 : -1, at - 6, at + 6};
      for (int c : candidates) {
        if (c < 0 || c >= kGridCells || picked.count(c) || pending.count(types[c])) continue;
        if (next < 0 || (types[c] <= 2 && types[next] > 2)) next = c;
      }
      if (next < 0) break;
      path.push_back(next);
      picked.insert(next);
      pending.insert(types[next]);
      at = next;
    }
    if (sweets > bestSweets) {
      bestSweets = sweets;
      best = path;
    }
  }
  return best;
}

class GameSceneGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    play::Start();
    sceneRequestPending = 0;
    sceneRequestId = 0;
    sceneChanger = new SceneChanger();
  }
  void TearDown() override {
    sceneChanger->Release();
    delete sceneChanger;
    sceneChanger = nullptr;
    InputMouseButton(0);
    InputFocusGained();
  }
  bool Playing() const { return !pauseMenu.paused && !pauseMenu.animating; }
};

}  // namespace

TEST(GameSceneTest, EverySeventhPlateWaitingAboveGetsTheFixedPattern) {
  struct Case {
    int32_t plates;
    float plateY;
    bool bonus;
  } cases[] = {
      {7, -315, true}, {14, -315, true}, {21, -0.5f, true}, {0, -315, true},
      {6, -315, false}, {8, -315, false}, {15, -315, false},
      {7, 0, false}, {14, 310, false},  // the plate is already on screen
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GameSceneWantsBonusLayout(c.plates, c.plateY), c.bonus) << c.plates << " " << c.plateY;
  }
}

TEST_F(GameSceneGlTest, PlatesSevenFourteenAndTwentyOneComeWithTheFixedPattern) {
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  while (!Playing()) GameTickStep();
  struct Case {
    int32_t platesBefore;
    int32_t orders;
    bool fixed;
  } cases[] = {{6, 0, true}, {13, 5, true}, {20, 8, true}, {7, 0, false}, {12, 5, false}};
  for (const Case& c : cases) {
    // A finished plate has slid away: the next one waits above the screen.
    ordersCleared = c.orders;
    BoardReset(&board);
    board.newPlateReady = true;
    plateCount = c.platesBefore;
    comboCount = 4;
    testing::internal::CaptureStdout();
    GameTickStep();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, std::to_string(c.platesBefore + 1) + "\n");
    EXPECT_EQ(plateCount, c.platesBefore + 1);
    EXPECT_EQ(comboCount, 0);
    EXPECT_FALSE(board.newPlateReady);
    EXPECT_TRUE(board.slidingIn);
    EXPECT_EQ(PlateTypes() == BonusPattern(c.orders), c.fixed) << "plate " << plateCount;
  }
}

TEST_F(GameSceneGlTest, PausedRoundStandsStillAndTheNextRoundStartsAfresh) {
  playTicks = 1000;
  score = 5;
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  EXPECT_EQ(score, 0);
  // The start-of-round overlay freezes the round: the fade goes on alone.
  const float plateY = board.y;
  const float alpha = FadeGetAlpha();
  GameTickStep();
  EXPECT_EQ(playTicks, 1000);
  EXPECT_FLOAT_EQ(board.y, plateY);
  EXPECT_LT(FadeGetAlpha(), alpha);
  while (!Playing()) GameTickStep();
  GameTickStep();
  EXPECT_EQ(playTicks, 1001);
  EXPECT_GT(board.y, plateY);

  // Paused from the button: nothing moves and playTicks stands.
  play::Finger finger(GameTickStep);
  finger.Press(55, 40);
  finger.Lift();
  const int32_t ticksAtPause = playTicks;
  const float yAtPause = board.y;
  for (int i = 0; i < 60; ++i) GameTickStep();
  EXPECT_EQ(playTicks, ticksAtPause);
  EXPECT_FLOAT_EQ(board.y, yAtPause);

  // Quit mid-round, then a fresh round: counters reset, playTicks carries on.
  finger.Press(210, 496);
  finger.Lift();
  while (sceneChanger->RequestedId() != kSceneTitle) GameTickStep();
  comboCount = 3;
  ordersCleared = 2;
  plateCount = 4;
  score = 777;
  sceneChanger->Release();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(comboCount, 0);
  EXPECT_EQ(ordersCleared, 0);
  EXPECT_EQ(plateCount, 0);
  EXPECT_EQ(playTicks, ticksAtPause);
}

TEST_F(GameSceneGlTest, ARoundThatStartsWhileThePlayerIsAwayOpensThePauseMenu) {
  // Switched away while the round loaded and not back yet: once the overlay
  // has folded away the menu opens on the tick the pause button would.
  InputFocusLost();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  for (int i = 0; i < 200 && (pauseMenu.intro || pauseMenu.animating); ++i) GameTickStep();
  ASSERT_FALSE(pauseMenu.animating);
  EXPECT_FALSE(pauseMenu.paused);
  GameTickStep();
  EXPECT_TRUE(pauseMenu.paused);
  EXPECT_TRUE(pauseMenu.animating);
  for (int i = 0; i < 60; ++i) GameTickStep();
  EXPECT_TRUE(pauseMenu.panelFull);

  // Back before the next round: it starts and plays as usual.
  InputFocusGained();
  sceneChanger->Release();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  for (int i = 0; i < 200 && !Playing(); ++i) GameTickStep();
  EXPECT_TRUE(Playing());
  for (int i = 0; i < 30; ++i) GameTickStep();
  EXPECT_TRUE(Playing());
}

TEST_F(GameSceneGlTest, ARoundQuitWhileTheCustomerJumpsLeavesTheNextRoundAtRest) {
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  while (!Playing()) GameTickStep();
  const float restY = customer.character.sprite.pos.y;
  // A perfect plate: the customer jumps; the round is quit before it floats.
  perfectPlate = true;
  for (int i = 0; i < 10; ++i) GameTickStep();
  ASSERT_LT(customer.character.sprite.pos.y, restY);
  play::Finger finger(GameTickStep);
  finger.Press(55, 40);
  finger.Lift();
  finger.Hold(30);
  finger.Press(210, 496);
  finger.Lift();
  while (sceneChanger->RequestedId() != kSceneTitle) GameTickStep();
  sceneChanger->Release();

  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  while (!Playing()) GameTickStep();
  for (int i = 0; i < 120; ++i) GameTickStep();
  EXPECT_FLOAT_EQ(customer.character.sprite.pos.y, restY);
  EXPECT_FALSE(perfectPlate);
  EXPECT_FALSE(feverActive);
}

TEST_F(GameSceneGlTest, AWholeRoundEndsWithTheClearSceneRequested) {
  const size_t textureBefore = TextureBytes();
  const size_t residentBefore = ResidentBytes();
  testing::internal::CaptureStdout();
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(sceneChanger->Change(kSceneGame), 0);
  DrawFrame();
  glFinish();
  const double buildMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  const size_t textureRound = TextureBytes() - textureBefore;
  const size_t residentRound = ResidentBytes() - residentBefore;

  play::Finger finger(GameTickStep);
  int ticks = 0;
  while (!(Playing() && selectionEnabled) && ticks < 300) {
    finger.Hold();
    ++ticks;
  }
  while (FadeIsActive() && ticks < 300) {
    finger.Hold();
    ++ticks;
  }
  SaveShot("round_start.png");

  int bonusPlates = 0;
  int plainPlatesChecked = 0;
  bool midShot = false;
  int32_t lastPlates = 0;
  const int kTickLimit = 60000;
  while (sceneChanger->RequestedId() != kSceneClear && finger.ticks() < kTickLimit) {
    if (plateCount != lastPlates) {
      lastPlates = plateCount;
      // Brought in this tick: a seventh plate waits with the fixed pattern.
      if (plateCount % 7 == 0) {
        EXPECT_EQ(PlateTypes(), BonusPattern(ordersCleared)) << "plate " << plateCount;
        ++bonusPlates;
      } else if (PlateTypes() != BonusPattern(ordersCleared)) {
        ++plainPlatesChecked;
      }
    }
    if (Playing() && selectionEnabled && !roundFinishing && !boardChanging) {
      std::vector<Vec2> points;
      for (int32_t index : PlanDrag(PlateTypes())) points.push_back(play::BlockCentre(index));
      finger.Drag(points);
      finger.Lift();
      if (!midShot && gaugeLevel > 200.0f) {
        finger.Hold(40);  // sweets on their way to the customer
        SaveShot("round_mid.png");
        midShot = true;
      }
    } else {
      finger.Hold();
    }
    if (roundFinishing && finishFadeStarted && FadeGetAlpha() > 0.3f && FadeGetAlpha() < 0.35f) {
      SaveShot("round_end.png");
    }
  }
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(sceneChanger->RequestedId(), kSceneClear) << "after " << finger.ticks() << " ticks";
  EXPECT_TRUE(roundFinishing);
  EXPECT_FLOAT_EQ(gaugeLevel, 490.0f);

  // Every plate after the first is announced on standard output, in order.
  std::istringstream lines(out);
  std::string line;
  int32_t expected = 1;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    EXPECT_EQ(line, std::to_string(expected));
    ++expected;
  }
  EXPECT_EQ(expected - 1, plateCount);
  EXPECT_GT(plainPlatesChecked, 0);

  std::printf("round: %d ticks, %d plates (%d fixed), score %d, orders %d\n", finger.ticks(),
              plateCount, bonusPlates, score, ordersCleared);
  std::printf("building the round: %.1f ms; textures %.1f MiB; resident memory +%.1f MiB\n",
              buildMs, textureRound / 1048576.0, residentRound / 1048576.0);

  // The switch away releases the round; the score stays for the clear scene.
  const int32_t finalScore = score;
  sceneChanger->Release();
  EXPECT_EQ(score, finalScore);
  EXPECT_EQ(particleTexture, 0u);
  EXPECT_LE(TextureBytes(), textureBefore);
}
