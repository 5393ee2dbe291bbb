// The "how to play" cards over the title: a few words each in the game's
// font and a short loop drawn with the game's pictures (a finger tracing a
// drag through blocks, the sweet it makes, the gauge filling and emptying).
// A tap, Space, Enter, Right or the pad's south button turns to the next
// card; the close button, Escape or the pad's east button leaves.
#include "game/front/how_to_play.h"

#include <cstring>

#include "engine/app/app.h"
#include "engine/app/test_events.h"
#include "game/scene/contents_picture.h"
#include "game/scene/key_play.h"
#include "game/scene/player_settings.h"
#include "game/scene/sprite_setup.h"

namespace {

constexpr float kCell = 0.25f;
// Cells of "howToPlay.png".
constexpr float kHelpU = 0.0f;
constexpr float kCloseU = 0.25f;
constexpr float kFingerU = 0.5f;
constexpr float kNextU = 0.75f;

// The help button in the title's upper right corner, clear of the title
// pieces; the close button in the same place on the card.
constexpr Vec2 kHelpPos = {968.0f, 56.0f};
constexpr float kButtonSize = 80.0f;
constexpr Vec2 kNextPos = {944.0f, 518.0f};
constexpr Vec2 kCardCentre = {512.0f, 288.0f};
constexpr Vec2 kCardSize = {904.0f, 504.0f};
constexpr float kCardEdge = 6.0f;
constexpr Color kDim = {0.12f, 0.05f, 0.09f, 0.65f};
constexpr Color kEdge = {0.36f, 0.16f, 0.24f, 1.0f};
constexpr Color kCream = {1.0f, 0.96f, 0.9f, 1.0f};
constexpr Color kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

// The words: a heading (large), up to three lines, each at most 30
// characters (the font's limit) and 26 to stay inside the card.
constexpr int32_t kHeadingY = 92;
constexpr float kHeadingGlyph = 50.0f;
constexpr int32_t kHeadingAdvance = 33;
constexpr Color kHeadingColour = {1.0f, 0.45f, 0.62f, 1.0f};
constexpr int32_t kLineY = 412;
constexpr int32_t kLineGap = 42;
constexpr float kLineGlyph = 40.0f;
constexpr int32_t kLineAdvance = 25;
constexpr Color kLineColour = {0.42f, 0.18f, 0.28f, 1.0f};
constexpr int32_t kPageX = 110;
constexpr int32_t kPageY = 62;
constexpr float kPageGlyph = 28.0f;
constexpr int32_t kPageAdvance = 20;

struct CardWords {
  const char* heading;
  const char* lines[kCardLines];
};
constexpr CardWords kWords[kCardCount] = {
    {"Drag 3 kinds", {"Drag through neighbours:", "one of each kind", "makes a sweet"}},
    {"Add more kinds", {"4 kinds: a better sweet", "all 5 kinds: the best", ""}},
    {"Not twice!", {"A kind picked twice", "makes a failed sweet", ""}},
    {"Let go to serve", {"Sweets fill the gauge,", "orders empty it.", "Full gauge: round over"}},
};

// The pictures of the animations. Block cells of each type in "block.png"
// (the picked picture is one cell to the right), and the sweet kinds'
// columns in "sweets.png" (1, 2, 3, failed).
constexpr Vec2 kTypeCells[5] = {{0.0f, 0.0f}, {0.5f, 0.25f}, {0.5f, 0.5f}, {0.5f, 0.0f}, {0.0f, 0.25f}};
constexpr float kSweetU[4] = {0.0f, 0.25f, 0.5f, 0.75f};
constexpr int32_t kSweetFailed = 3;
// Each card's row of blocks (-1: no block) and the sweet each finished
// block makes (-1: none yet).
constexpr int32_t kRows[3][kCardBlocks] = {{0, 1, 2, -1, -1}, {0, 1, 2, 4, 3}, {0, 1, 0, -1, -1}};
constexpr int32_t kSweetAfter[3][kCardBlocks] = {
    {-1, -1, 0, -1, -1}, {-1, -1, 0, 1, 2}, {-1, -1, kSweetFailed, -1, -1}};
constexpr float kBlockSize = 100.0f;
constexpr float kBlockGap = 120.0f;
constexpr float kRowY = 310.0f;
constexpr Vec2 kSweetPos = {512.0f, 188.0f};
constexpr float kSweetSize = 140.0f;
constexpr float kFingerSize = 84.0f;
// The finger's tip is the picture's upper middle.
constexpr Vec2 kFingerTip = {6.0f, 26.0f};

// Ticks of one loop of a card's animation, and of the drag in it.
constexpr int32_t kLoopTicks = 240;
constexpr int32_t kDragStart = 30;
constexpr int32_t kDragTicksPerBlock = 36;
constexpr int32_t kPopTicks = 10;

// The serving card: sweets fly to the gauge one after another; each raises
// it, the order in the balloon empties it, the last ones fill it.
constexpr float kGaugeScale = 0.5f;
constexpr float kGaugeMax = 490.0f;
constexpr Vec2 kGaugeCorner = {790.0f, 380.0f};  // the frame's lower left
constexpr int32_t kServeTicks = 40;
constexpr int32_t kServings = 6;
constexpr float kServeGain = 120.0f;
constexpr int32_t kOrderAfter = 2;  // servings before the order is met
constexpr float kOrderDrop = 200.0f;
constexpr Vec2 kServeFrom = {230.0f, 300.0f};
constexpr Vec2 kBalloonPos = {480.0f, 200.0f};
constexpr float kBalloonSize = 150.0f;
constexpr Vec2 kIconPos = {230.0f, 170.0f};
constexpr float kIconSize = 96.0f;
constexpr int32_t kIconTicks = 150;

Vec2 Lerp(Vec2 a, Vec2 b, float t) { return Vec2{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

bool Contains(Sprite* s, Vec2 point) {
  Bounds box;
  SpriteBounds(s, &box);
  return PointInBounds(point, box) != 0;
}

// x that centres a text of the font's advance on cx (glyphs are placed by
// their centres).
int32_t CentredX(const char* text, int32_t advance, float cx) {
  const int32_t length = static_cast<int32_t>(std::strlen(text));
  return static_cast<int32_t>(cx) - (length - 1) * advance / 2;
}

void SetCardWords(HowToPlay* h) {
  const CardWords& words = kWords[h->card];
  const Color& c = kHeadingColour;
  FontSetText(&h->heading, words.heading, CentredX(words.heading, kHeadingAdvance, kCardCentre.x), kHeadingY,
              c.r, c.g, c.b, c.a, kHeadingGlyph, kHeadingGlyph, kHeadingAdvance);
  for (int32_t i = 0; i < kCardLines; ++i) {
    const char* text = words.lines[i];
    const Color& l = kLineColour;
    FontSetText(&h->lines[i], text, CentredX(text, kLineAdvance, kCardCentre.x), kLineY + i * kLineGap, l.r, l.g,
                l.b, l.a, kLineGlyph, kLineGlyph, kLineAdvance);
  }
  const char page[4] = {static_cast<char>('1' + h->card), '/', static_cast<char>('0' + kCardCount), '\0'};
  FontSetText(&h->page, page, kPageX, kPageY, kLineColour.r, kLineColour.g, kLineColour.b, 1, kPageGlyph,
              kPageGlyph, kPageAdvance);
  TestEvent("cards %d", static_cast<int>(h->card + 1));
}

float BlockX(int32_t count, int32_t i) {
  return kCardCentre.x + (static_cast<float>(i) - static_cast<float>(count - 1) / 2.0f) * kBlockGap;
}

// The drag cards: the finger moves from block to block; each block it has
// reached shows picked, and the sweet of the blocks so far pops up.
void DrawDragCard(HowToPlay* h) {
  const int32_t* row = kRows[h->card];
  int32_t count = 0;
  while (count < kCardBlocks && row[count] >= 0) ++count;
  const int32_t t = h->ticks % kLoopTicks;
  const float progress = static_cast<float>(t - kDragStart) / static_cast<float>(kDragTicksPerBlock);
  // Index of the last block reached, -1 before the drag.
  const int32_t reached = t < kDragStart ? -1 : progress >= static_cast<float>(count - 1) ? count - 1
                                                                                      : static_cast<int32_t>(progress);
  int32_t sweet = -1;
  int32_t madeAt = 0;
  for (int32_t i = 0; i < count; ++i) {
    Sprite& b = h->blocks[i];
    const Vec2 cell = kTypeCells[row[i]];
    SetSprite(&b, Vec2{BlockX(count, i), kRowY}, Vec2{kBlockSize, kBlockSize}, kWhite,
              cell.x + (i <= reached ? kCell : 0.0f), cell.y, kCell, kCell, 0);
    DrawSprite(&b, &h->blockTexture);
    if (i <= reached && kSweetAfter[h->card][i] >= 0) {
      sweet = kSweetAfter[h->card][i];
      madeAt = kDragStart + i * kDragTicksPerBlock;
    }
  }
  if (sweet >= 0) {
    const float pop = static_cast<float>(t - madeAt) / static_cast<float>(kPopTicks);
    const float size = kSweetSize * (pop < 1.0f ? 0.5f + 0.7f * pop : 1.0f);
    SetSprite(&h->sweet, kSweetPos, Vec2{size, size}, kWhite, kSweetU[sweet], 0, kCell, 1, 0);
    DrawSprite(&h->sweet, &h->sweetsTexture);
  }
  // The finger stays a moment on the last block, then lifts.
  const int32_t dragEnd = kDragStart + (count - 1) * kDragTicksPerBlock;
  if (t >= kDragStart - kPopTicks && t < dragEnd + 2 * kDragTicksPerBlock) {
    const float along = progress < 0.0f ? 0.0f : progress > static_cast<float>(count - 1) ? static_cast<float>(count - 1)
                                                                                         : progress;
    const Vec2 at = {BlockX(count, 0) + along * kBlockGap + kFingerTip.x, kRowY + kFingerSize / 2 - kFingerTip.y};
    SetSprite(&h->finger, at, Vec2{kFingerSize, kFingerSize}, kWhite, kFingerU, 0, kCell, 1, 0);
    if (h->pictureTexture != 0) DrawSprite(&h->finger, &h->pictureTexture);
  }
}

// The gauge's level after the servings that have arrived by tick t.
float ServeLevel(int32_t t, int32_t* arrived) {
  *arrived = t / kServeTicks;
  if (*arrived > kServings) *arrived = kServings;
  float level = kServeGain * static_cast<float>(*arrived);
  if (*arrived > kOrderAfter) level -= kOrderDrop;
  return level > kGaugeMax ? kGaugeMax : level;
}

void DrawServeCard(HowToPlay* h) {
  const int32_t t = h->ticks % (kServeTicks * (kServings + 2));
  int32_t arrived = 0;
  const float level = ServeLevel(t, &arrived);
  const float s = kGaugeScale;
  const Vec2 mouth = {kGaugeCorner.x + 74.0f * s, kGaugeCorner.y - 500.0f * s};

  // The balloon holds the order until it is met.
  if (arrived <= kOrderAfter) {
    SetSprite(&h->balloon, kBalloonPos, Vec2{kBalloonSize, kBalloonSize}, kWhite, 0, 0, 1, 1, 0);
    DrawSprite(&h->balloon, &h->balloonTexture);
    SetSprite(&h->balloonSweet, Vec2{kBalloonPos.x, kBalloonPos.y - 8.0f}, Vec2{70.0f, 70.0f}, kWhite,
              kSweetU[0], 0, kCell, 1, 0);
    DrawSprite(&h->balloonSweet, &h->sweetsTexture);
  }
  if (t >= kIconTicks) {
    SetSprite(&h->plateIcon, kIconPos, Vec2{kIconSize, kIconSize}, kWhite, 0, 0, 1, 1, 0);
    DrawSprite(&h->plateIcon, &h->plateIconTexture);
    FontDraw(&h->tag);
  }

  // The bar is drawn turned by half a turn from its lower right corner,
  // under the frame, whose clear channel lets it through.
  SetSprite(&h->gaugeBar, Vec2{kGaugeCorner.x + 106.0f * s, kGaugeCorner.y - 10.0f * s},
            Vec2{64.0f * s, level * s}, kWhite, 0.5f, 0.0f, 0.5f, level / kGaugeMax, 180.0f);
  DrawSpriteTopLeft(&h->gaugeBar, &h->gaugeTexture);
  const Color frame = level >= kGaugeMax ? Color{1.0f, 0.35f, 0.35f, 1.0f} : kWhite;
  SetSprite(&h->gaugeFrame, kGaugeCorner, Vec2{148.0f * s, 510.0f * s}, frame, 0, 0, 0.5f, 1, 0);
  DrawSpriteBottomLeft(&h->gaugeFrame, &h->gaugeTexture);

  // The finger lifts at the start: letting go serves.
  if (t < kServeTicks && h->pictureTexture != 0) {
    const float lift = static_cast<float>(t) / static_cast<float>(kServeTicks);
    SetSprite(&h->finger, Vec2{kServeFrom.x + kFingerTip.x, kServeFrom.y + 70.0f - 40.0f * lift},
              Vec2{kFingerSize, kFingerSize}, Color{1, 1, 1, 1.0f - lift}, kFingerU, 0, kCell, 1, 0);
    DrawSprite(&h->finger, &h->pictureTexture);
  }
  // The sweet on its way, while servings remain.
  if (arrived < kServings) {
    const float along = static_cast<float>(t % kServeTicks) / static_cast<float>(kServeTicks);
    const Vec2 at = Lerp(kServeFrom, mouth, along);
    const float size = 110.0f - 50.0f * along;
    SetSprite(&h->sweet, at, Vec2{size, size}, kWhite, kSweetU[arrived % 2], 0, kCell, 1, 0);
    DrawSprite(&h->sweet, &h->sweetsTexture);
  }
}

}  // namespace

HowToPlay howToPlay;

int32_t HowToPlayInit(HowToPlay* h) {
  h->open = false;
  h->holdFinger = false;
  h->card = 0;
  h->ticks = 0;
  h->opening = CardsOpening::kFromButton;
  for (BitmapFont* font : {&h->heading, &h->lines[0], &h->lines[1], &h->lines[2], &h->page, &h->tag}) {
    FontInit(font);
  }
  FontSetText(&h->tag, "6 combo", CentredX("6 combo", 20, kIconPos.x), static_cast<int32_t>(kIconPos.y) + 66,
              kLineColour.r, kLineColour.g, kLineColour.b, 1, 28, 28, 20);
  SetSprite(&h->helpButton, kHelpPos, Vec2{kButtonSize, kButtonSize}, kWhite, kHelpU, 0, kCell, 1, 0);
  SetSprite(&h->closeButton, kHelpPos, Vec2{kButtonSize, kButtonSize}, kWhite, kCloseU, 0, kCell, 1, 0);
  SetSprite(&h->nextButton, kNextPos, Vec2{kButtonSize, kButtonSize}, kWhite, kNextU, 0, kCell, 1, 0);
  SetSprite(&h->panel, kCardCentre, kCardSize, kCream, 0, 0, 1, 1, 0);
  if (LoadContentsPicture(&h->pictureTexture, "howToPlay.png") != 0) return 1;
  if (LoadContentsPicture(&h->panelTexture, "White.png") != 0) return 1;
  if (LoadContentsPicture(&h->blockTexture, "block.png") != 0) return 1;
  if (LoadContentsPicture(&h->sweetsTexture, "sweets.png") != 0) return 1;
  if (LoadContentsPicture(&h->gaugeTexture, "gauge.png") != 0) return 1;
  if (LoadContentsPicture(&h->balloonTexture, "balloonS.png") != 0) return 1;
  if (LoadContentsPicture(&h->plateIconTexture, "plateIcon.png") != 0) return 1;
  return 0;
}

void HowToPlayOpen(HowToPlay* h, CardsOpening opening) {
  h->open = true;
  h->opening = opening;
  h->card = 0;
  h->ticks = 0;
  SetCardWords(h);
}

CardsStep HowToPlayUpdate(HowToPlay* h) {
  TouchSlot& finger = touchSlots[0];
  if (!h->open) {
    if (finger.down == 0) h->holdFinger = false;
    return h->holdFinger ? CardsStep::kShown : CardsStep::kIdle;
  }
  h->ticks += 1;
  // The finger key taps the next button.
  KeyPlayAim(&keyPlay, h->nextButton.pos);
  bool leave = IsKeyPressed(kKeyEscape) || KeyPlayBackPressed();
  bool next = keyPlay.stepX > 0;
  if (finger.down == 1 && finger.wasDown == 0) {
    finger.wasDown = 1;
    if (Contains(&h->closeButton, Vec2{finger.x, finger.y})) {
      leave = true;
    } else {
      next = true;
    }
  }
  if (next && !leave) {
    if (h->card + 1 < kCardCount) {
      h->card += 1;
      h->ticks = 0;
      SetCardWords(h);
    } else {
      leave = true;
    }
  }
  if (!leave) return CardsStep::kShown;
  h->open = false;
  h->holdFinger = finger.down == 1;
  PlayerSettingsMarkCardsSeen();
  TestEvent("cards closed");
  return h->opening == CardsOpening::kBeforeRound ? CardsStep::kStartRound : CardsStep::kShown;
}

void HowToPlayDraw(HowToPlay* h) {
  // Without its picture a button would be a black square.
  const bool buttons = h->pictureTexture != 0;
  if (!h->open) {
    if (buttons) DrawSprite(&h->helpButton, &h->pictureTexture);
    return;
  }
  Sprite sheet;
  SetSprite(&sheet, kCardCentre, Vec2{1024.0f, 576.0f}, kDim, 0, 0, 1, 1, 0);
  DrawSprite(&sheet, &h->panelTexture);
  SetSprite(&sheet, kCardCentre, Vec2{kCardSize.x + 2 * kCardEdge, kCardSize.y + 2 * kCardEdge}, kEdge, 0, 0, 1, 1,
            0);
  DrawSprite(&sheet, &h->panelTexture);
  DrawSprite(&h->panel, &h->panelTexture);

  FontDraw(&h->heading);
  for (BitmapFont& line : h->lines) FontDraw(&line);
  FontDraw(&h->page);
  if (h->card < kCardCount - 1) {
    DrawDragCard(h);
  } else {
    DrawServeCard(h);
  }
  if (buttons) {
    DrawSprite(&h->closeButton, &h->pictureTexture);
    DrawSprite(&h->nextButton, &h->pictureTexture);
  }
}

void HowToPlayRelease(HowToPlay* h) {
  for (BitmapFont* font : {&h->heading, &h->lines[0], &h->lines[1], &h->lines[2], &h->page, &h->tag}) {
    FontRelease(font);
  }
  for (Texture* texture : {&h->pictureTexture, &h->panelTexture, &h->blockTexture, &h->sweetsTexture,
                           &h->gaugeTexture, &h->balloonTexture, &h->plateIconTexture}) {
    DeleteTexture(texture);
  }
  h->open = false;
}

bool HowToPlayButtonHit(HowToPlay* h, float x, float y) {
  return h->pictureTexture != 0 && Contains(&h->helpButton, Vec2{x, y});
}

bool HowToPlayBeforeFirstRound(int32_t bestScore, bool cardsSeen) { return bestScore <= 0 && !cardsSeen; }
