// Scene, score and plate reading from a screenshot.
#include "e2e/probe/screen_read.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Where the game draws what is checked (virtual screen = window pixels).
constexpr float kLogoX = 512 - 327.68f / 2, kLogoY = 288 - 307.2f / 2;
constexpr float kLogoW = 327.68f, kLogoH = 307.2f;
constexpr Region kLogoRegion{350, 136, 324, 304};
// Strips above and below the logos, black while they show.
constexpr Region kAboveLogo{0, 0, 1024, 120};
constexpr Region kBelowLogo{0, 456, 1024, 120};
// The title's corner left free by the character, the text and the title pieces.
constexpr Region kTitleCorner{0, 500, 290, 76};
// "Touch Start": glyphs 40 wide every 32 from (350, 475).
constexpr Region kTouchStartBand{330, 455, 372, 40};
// The panel of the loading screen (and of the round's opening overlay), clear
// of the label, the spinner and the pause button.
constexpr Region kPanelRegion{100, 80, 924, 350};
// Inside the pause button (64 x 64 centred on (55, 40)).
constexpr Region kPauseButtonInner{35, 20, 40, 40};
// The clear scene's floor, left of the character and under the balloon.
constexpr Region kClearFloor{0, 440, 480, 136};
// "Finish!": 7 glyphs 76 wide every 64 from (150, 130).
constexpr Region kFinishBand{112, 92, 460, 76};

constexpr float kBlockSize = 1.4f * 64;
constexpr int kBlockPatchHalf = 28;

const Rgba kCyanLow{0, 170, 170, 0}, kCyanHigh{110, 255, 255, 1};
const Rgba kYellowLow{170, 170, 0, 0}, kYellowHigh{255, 255, 100, 1};

const Picture& Get(GamePictures* p, Picture GamePictures::*member) {
  struct Entry {
    Picture GamePictures::*member;
    const char* name;
  };
  static const Entry kFiles[] = {{&GamePictures::logo, "Logo.png"},       {&GamePictures::logoPemo, "Logo_pemo.png"},
                                 {&GamePictures::gameBack, "gameBack.png"}, {&GamePictures::pmBack, "PMBack.png"},
                                 {&GamePictures::poseback, "poseback.png"}, {&GamePictures::button, "botton.png"},
                                 {&GamePictures::block, "block.png"},       {&GamePictures::font, "font.png"}};
  Picture& picture = p->*member;
  if (picture.width > 0) return picture;
  for (const Entry& e : kFiles) {
    if (e.member != member) continue;
    std::string path = p->contentsDir + "/" + e.name;
    if (!LoadPngPicture(path, &picture)) {
      std::fprintf(stderr, "e2e_probe: cannot read %s\n", path.c_str());
      std::exit(1);
    }
  }
  return picture;
}

Layer FullScreen(const Picture& picture, float u = 0, float v = 0, float uw = 1, float vh = 1) {
  return Layer{&picture, u, v, uw, vh, 0, 0, kScreenWidth, kScreenHeight};
}

bool ShowsPauseButton(const Picture& shot, GamePictures* p) {
  std::vector<Layer> button = {Layer{&Get(p, &GamePictures::button), 0, 0, 0.25f, 1, 23, 8, 64, 64}};
  return Correlation(shot, button, kPauseButtonInner) > 0.85;
}

// The open menu's quit and resume buttons (96 x 96 at (210, 496) and (810, 496)).
bool ShowsMenuButtons(const Picture& shot, GamePictures* p) {
  std::vector<Layer> quit = {Layer{&Get(p, &GamePictures::button), 0.5f, 0, 0.25f, 1, 162, 448, 96, 96}};
  std::vector<Layer> resume = {Layer{&Get(p, &GamePictures::button), 0.25f, 0, 0.25f, 1, 762, 448, 96, 96}};
  return Correlation(shot, quit, Region{180, 466, 60, 60}) > 0.85 &&
         Correlation(shot, resume, Region{780, 466, 60, 60}) > 0.85;
}

bool ShowsLogo(const Picture& shot, GamePictures* p, Picture GamePictures::*logo) {
  if (MeanLuma(shot, kAboveLogo) > 3 || MeanLuma(shot, kBelowLogo) > 3) return false;
  if (MeanLuma(shot, kLogoRegion) < 8) return false;
  std::vector<Layer> layers = {Layer{&Get(p, logo), 0, 0, 1, 1, kLogoX, kLogoY, kLogoW, kLogoH}};
  return Correlation(shot, layers, kLogoRegion) > 0.9;
}

bool ShowsTitle(const Picture& shot, GamePictures* p) {
  if (ColourShare(shot, kTouchStartBand, kCyanLow, kCyanHigh) < 0.04) return false;
  // The overlay fades in over the background at the end of the drop-in.
  std::vector<Layer> plain = {FullScreen(Get(p, &GamePictures::gameBack))};
  std::vector<Layer> overlaid = {FullScreen(Get(p, &GamePictures::gameBack)), FullScreen(Get(p, &GamePictures::pmBack))};
  return Correlation(shot, plain, kTitleCorner) > 0.85 || Correlation(shot, overlaid, kTitleCorner) > 0.85;
}

bool ShowsPanel(const Picture& shot, GamePictures* p) {
  return Correlation(shot, {FullScreen(Get(p, &GamePictures::poseback))}, kPanelRegion) > 0.9;
}

bool ShowsClear(const Picture& shot, GamePictures* p) {
  if (ColourShare(shot, kFinishBand, kYellowLow, kYellowHigh) < 0.04) return false;
  return Correlation(shot, {FullScreen(Get(p, &GamePictures::gameBack), 0.5f, 0.5f, 0.5f, 0.5f)}, kClearFloor) > 0.85;
}

// A digit of side size (in screen pixels) centred at cx, cy.
int ReadDigit(const Picture& shot, const Picture& font, int cx, int cy, int size) {
  const int half = size / 2;
  int best = -1;
  double bestScore = 0;
  for (int d = 0; d < 10; ++d) {
    float u0 = (16 + d) / 32.0f, v0 = 0.25f;
    long both = 0, either = 0;
    for (int y = 2 - half; y < half - 2; ++y) {
      for (int x = 2 - half; x < half - 2; ++x) {
        Rgba s = PixelAt(shot, cx + x, cy + y);
        bool screenInk = s.r <= kCyanHigh.r && s.g >= kCyanLow.g && s.b >= kCyanLow.b;
        const float side = static_cast<float>(size);
        Rgba t = SampleUv(font, u0 + (x + half + 0.5f) / side / 32, v0 + (y + half + 0.5f) / side / 4);
        bool glyphInk = t.a > 0.5f && (t.r + t.g + t.b) / 3 > 170;
        both += screenInk && glyphInk;
        either += screenInk || glyphInk;
      }
    }
    double score = either == 0 ? 0 : static_cast<double>(both) / either;
    if (score > bestScore) {
      bestScore = score;
      best = d;
    }
  }
  return bestScore > 0.6 ? best : -1;
}

}  // namespace

int CellCentreX(int i) { return 75 + (i % 6) * 95; }
int CellCentreY(int i) { return 125 + (i / 6) * 95; }

std::string ReadScene(const Picture& shot, GamePictures* p) {
  if (MeanLuma(shot, Region{0, 0, kScreenWidth, kScreenHeight}) < 3) return "black";
  if (ShowsLogo(shot, p, &GamePictures::logo)) return "logo1";
  if (ShowsLogo(shot, p, &GamePictures::logoPemo)) return "logo2";
  if (ShowsTitle(shot, p)) return "title";
  if (ShowsClear(shot, p)) return "clear";
  // The loading screen and the round's opening overlay show the same panel.
  if (ShowsPanel(shot, p)) return ShowsMenuButtons(shot, p) ? "pause" : "loading";
  if (ShowsPauseButton(shot, p) && ReadScoreDigits(shot, p, "hud").find('?') == std::string::npos) return "game";
  return "other";
}

std::string ReadScoreDigits(const Picture& shot, GamePictures* p, const std::string& place) {
  // Leftmost digit centre, its row and the digits' side: the game's counter
  // ends at the right edge; the clear scene's is shifted four digits right
  // of x 402, with the best score's small row under it ending at x 658; the
  // title's best ends at x 1008.
  struct Place {
    const char* name;
    int left, y, size;
  };
  static const Place kPlaces[] = {
      {"hud", 544, 32, 64}, {"clear", 178, 222, 64}, {"best", 418, 278, 32}, {"title", 828, 552, 24}};
  const Place* at = nullptr;
  for (const Place& known : kPlaces)
    if (place == known.name) at = &known;
  if (at == nullptr) return "";
  std::string digits;
  for (int k = 0; k < 8; ++k) {
    int d = ReadDigit(shot, Get(p, &GamePictures::font), at->left + at->size * k, at->y, at->size);
    digits += d < 0 ? '?' : static_cast<char>('0' + d);
  }
  return digits;
}

void ReadPlate(const Picture& shot, GamePictures* p, int types[30]) {
  static const float kCells[5][2] = {{0, 0}, {0.5f, 0.25f}, {0.5f, 0.5f}, {0.5f, 0}, {0, 0.25f}};
  const Picture& block = Get(p, &GamePictures::block);
  for (int i = 0; i < 30; ++i) {
    int cx = CellCentreX(i), cy = CellCentreY(i);
    double diff[5];
    for (int t = 0; t < 5; ++t) {
      double sum = 0;
      long n = 0;
      for (int y = -kBlockPatchHalf; y < kBlockPatchHalf; y += 2) {
        for (int x = -kBlockPatchHalf; x < kBlockPatchHalf; x += 2) {
          float u = kCells[t][0] + 0.125f + (x + 0.5f) / kBlockSize * 0.25f;
          float v = kCells[t][1] + 0.125f + (y + 0.5f) / kBlockSize * 0.25f;
          Rgba texel = SampleUv(block, u, v);
          if (texel.a < 0.9f) continue;
          Rgba s = PixelAt(shot, cx + x, cy + y);
          sum += std::fabs(s.r - texel.r) + std::fabs(s.g - texel.g) + std::fabs(s.b - texel.b);
          ++n;
        }
      }
      diff[t] = n == 0 ? 1e9 : sum / (3.0 * n);
    }
    int best = 0;
    for (int t = 1; t < 5; ++t)
      if (diff[t] < diff[best]) best = t;
    double second = 1e9;
    for (int t = 0; t < 5; ++t)
      if (t != best && diff[t] < second) second = diff[t];
    types[i] = diff[best] < 25 && second - diff[best] > 10 ? best : -1;
  }
}
