// The "how to play" cards: four animated cards over the title that show the
// rules with the game's own pictures, and the title's help button that opens
// them. The title owns them: it calls Init and Release with its own, opens
// them (before the first round, or from the help button) and runs Update in
// its tick; Update runs on the timer thread, the draws on the main thread
// under the game lock, like the title's own state.
#pragma once

#include <cstdint>

#include "engine/render/font.h"
#include "engine/render/sprite.h"

constexpr int32_t kCardCount = 4;
constexpr int32_t kCardLines = 3;
constexpr int32_t kCardBlocks = 5;

// Why the cards were opened: leaving them then starts the round, or goes
// back to the title.
enum class CardsOpening : int32_t { kBeforeRound = 0, kFromButton = 1 };
// What an update tells the title: the cards are closed and the finger is
// the title's, the cards (or the finger that closed them, still down) hold
// the input, or they were just left and the round is to start.
enum class CardsStep : int32_t { kIdle = 0, kShown = 1, kStartRound = 2 };

struct HowToPlay {
  Texture panelTexture;    // poseback.png
  Texture pictureTexture;  // howToPlay.png: help, close, finger, next
  Texture blockTexture;
  Texture sweetsTexture;
  Texture gaugeTexture;
  Texture balloonTexture;
  Texture plateIconTexture;
  Sprite helpButton;
  Sprite panel;
  Sprite closeButton;
  Sprite nextButton;
  Sprite finger;
  Sprite blocks[kCardBlocks];
  Sprite sweet;
  Sprite gaugeFrame;
  Sprite gaugeBar;
  Sprite balloon;
  Sprite balloonSweet;
  Sprite plateIcon;
  BitmapFont heading;
  BitmapFont lines[kCardLines];
  BitmapFont page;
  BitmapFont tag;
  bool open;
  CardsOpening opening;
  int32_t card;   // 0 .. kCardCount - 1
  int32_t ticks;  // since the card came up
  // The finger that closed the cards is still down: the title waits for it
  // to lift, so the same touch does not start a round.
  bool holdFinger;
};

extern HowToPlay howToPlay;

int32_t HowToPlayInit(HowToPlay* h);
void HowToPlayOpen(HowToPlay* h, CardsOpening opening);
CardsStep HowToPlayUpdate(HowToPlay* h);
// The help button (when closed) or the open card.
void HowToPlayDraw(HowToPlay* h);
void HowToPlayRelease(HowToPlay* h);

// Whether a press at (x, y) lands on the help button.
bool HowToPlayButtonHit(HowToPlay* h, float x, float y);
// Whether the cards come by themselves before a round: only for a player
// with no best score who has not seen them.
bool HowToPlayBeforeFirstRound(int32_t bestScore, bool cardsSeen);
