// The application frame: callbacks and the two loops, the window with its GL
// context and audio device, touch and key input, asset paths and utilities.
//
// Thread rules: the main thread owns the window, the GL context and every
// frame; the timer thread runs the tick callback. The engine holds one game
// lock around each tick callback and each frame callback, so game state that
// ticks write and frames read is never touched by both at once. Raw input,
// quitState, the wait flags and the tick callback/rate are atomic.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/render/vector_math.h"

// ---- Callbacks and loops ----------------------------------------------------

using AppCallback = int32_t (*)();
using TickCallback = void (*)();

void SetAppCallbacks(AppCallback start, AppCallback end, AppCallback frame);
int32_t RunMainLoop();

// An empty callback sets the rate to 5 whatever rate is given.
void SetTickCallback(int32_t rate, TickCallback callback);
// Returns once the timer thread has finished one more tick (or has stopped).
void WaitForTick();
void WaitForFrame();
float GetFrameFps();
float GetTickFps();
int32_t GetTickRate();

// 0 running, 1 quit requested, 2 the timer thread has left its loop.
int32_t GetQuitState();
// Asks the program to end, as the window's close button and F12 do.
void RequestQuit();
// True on the thread that called RunMainLoop (or opened the window).
bool IsMainThread();

// Milliseconds from a monotonic clock, and a sleep of that many milliseconds.
uint32_t GetTimeMs();
void SleepMs(uint32_t ms);
// Hands memory the program has freed back to the system. The allocator
// keeps freed blocks for reuse, and after a scene switch that is most of
// the old scene: pictures are large, and the software GL keeps them in main
// memory. Takes a few milliseconds.
void ReturnFreedMemory();

// ---- Window and devices -----------------------------------------------------

// Headless: no window, GL context or sound device is ever opened. Textures get
// a placeholder name and read no file, sounds load and play nothing, draws
// draw nothing. Set once at start-up, before any scene is built and before
// any other thread runs.
void SetHeadless(bool on);
bool IsHeadless();

constexpr int32_t kFullscreen = 1;
constexpr int32_t kChangeDisplayMode = 2;
constexpr int32_t kNoVsync = 4;
constexpr int32_t kPopupWindow = 8;
constexpr int32_t kNoEngineModules = 0x2000;
constexpr int32_t kNoTimerThread = 0x8000;

int32_t CreateAppWindow(const char* caption, int32_t width, int32_t height, int32_t flags);
int32_t ShutdownEngine();
const char* GetAudioDeviceName();
// True when an OpenAL device and context are open.
bool IsAudioOpen();

// ---- Input --------------------------------------------------------------------

// Virtual-key codes understood by IsKeyDown and the key handler. Letters and
// digits are their characters ('A' to 'Z' upper case, '0' to '9'), F1 to F12
// are 0x70 to 0x7B.
constexpr int32_t kKeyReturn = 0x0D;
constexpr int32_t kKeyEscape = 0x1B;
constexpr int32_t kKeyLeft = 0x25;
constexpr int32_t kKeyUp = 0x26;
constexpr int32_t kKeyRight = 0x27;
constexpr int32_t kKeyDown = 0x28;
constexpr int32_t kKeyF11 = 0x7A;
constexpr int32_t kKeyF12 = 0x7B;
// '-' and '=' (with '+' on the same key) on the main keys, and the keypad's.
constexpr int32_t kKeyMinus = 0xBD;
constexpr int32_t kKeyPlus = 0xBB;
constexpr int32_t kKeyNumpadMinus = 0x6D;
constexpr int32_t kKeyNumpadPlus = 0x6B;
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeySpace = 0x20;

// A game controller's buttons reach the game as keys of their own (the names
// follow SDL's controller mapping: south is the bottom face button). The left
// stick counts as four keys, each down while the stick is pushed that way.
// Whichever pad holds a button, the key is down.
constexpr int32_t kKeyPadUp = 0xE0;
constexpr int32_t kKeyPadDown = 0xE1;
constexpr int32_t kKeyPadLeft = 0xE2;
constexpr int32_t kKeyPadRight = 0xE3;
constexpr int32_t kKeyPadSouth = 0xE4;
constexpr int32_t kKeyPadEast = 0xE5;
constexpr int32_t kKeyPadWest = 0xE6;
constexpr int32_t kKeyPadStart = 0xE7;
constexpr int32_t kKeyStickUp = 0xE8;
constexpr int32_t kKeyStickDown = 0xE9;
constexpr int32_t kKeyStickLeft = 0xEA;
constexpr int32_t kKeyStickRight = 0xEB;

struct TouchSlot {
  float startX, startY;
  float x, y;
  float lastX, lastY;
  uint8_t wasDown;
  int32_t down;
  int32_t previousDown;
  int32_t doubleTap;
  int32_t ticksSincePress;
};

constexpr int kTouchSlotCount = 5;
extern TouchSlot touchSlots[kTouchSlotCount];
extern float pinchDistance;
extern int32_t pinchDirection;

int32_t GetTouch(int32_t index, float* x, float* y);
int32_t GetTouchRaw(int32_t index, float* x, float* y);
int32_t IsTouchDown(int32_t index);
void SetTouchArea(float virtualWidth, float virtualHeight);
int32_t GetArrowDirection(float* x, float* y);
int32_t IsKeyDown(int32_t virtualKey);
// 1 in the tick whose sampling first saw the key down (read in the tick, after
// SampleTouchSlots); every press is seen by some tick, however short.
int32_t IsKeyPressed(int32_t virtualKey);
int32_t GetClientWidth();
int32_t GetClientHeight();

// Where the virtual screen lies in an area of the given size: scaled to fit
// with its aspect kept and centred, in whole units; what is left over shows
// as black bars. Touch positions map through the same rectangle.
struct PictureRect {
  float x, y, width, height;
};
PictureRect FitPicture(float areaWidth, float areaHeight, float pictureWidth, float pictureHeight);
// The virtual screen's size, as SetTouchArea set it.
float GetVirtualWidth();
float GetVirtualHeight();

// How many times the window has lost the focus or been minimised; the game
// compares it with the count it saw last to notice that the player left.
uint32_t GetFocusLossCount();
// True from the window's losing the focus or being minimised until it has the
// focus again or is restored: the player is away now (a round that starts
// then, say after switching away while it loaded).
bool IsWindowAway();
// True while the window covers the screen (borderless, at the desktop's size).
bool IsWindowFullscreen();
// Switches between the window and full screen, as F11 and Alt+Enter do.
void SetWindowFullscreen(bool on);
// Any thread (a button pressed in a tick): the main thread switches between
// the window and full screen before its next frame, as F11 does.
void RequestFullscreenToggle();

// The window procedure's input messages, applied at once to the raw state.
// Called through InputPostEvent by the event pump, and directly by tests.
void InputMouseMove(float x, float y);
void InputMouseButton(int32_t down);
void InputKey(int32_t virtualKey, bool pressed);
void InputFocusLost();
void InputFocusGained();
// Resets the raw input state and sets client and virtual size (window open).
void InputReset(int32_t clientWidth, int32_t clientHeight);
// The client area changed size (resizing, full screen).
void InputResize(int32_t clientWidth, int32_t clientHeight);

// One input event as the event pump hands it over, in client pixels.
enum class InputEventType : uint8_t { kMouseMove, kMouseButton, kKey };
struct InputEvent {
  InputEventType type;
  int32_t key;   // virtual-key code of a key event
  int32_t down;  // 1 pressed, 0 released (button and key events)
  float x, y;    // position of a move or button event
};
// Main thread. Hands an event to the raw input state, in order. Motion merges
// into the latest position; a button or key change waits, with everything
// after it, until a tick has sampled the change before it.
void InputPostEvent(const InputEvent& event);
// Main thread, once per frame: applies what waited, as far as ticks allow.
void InputFlushEvents();

// The three per-tick steps of the touch slots, run by the game's tick.
void SampleTouchSlots();
void RefreshTouchLastPositions();
void FinishTouchTick();

// Game controllers (input_pads.cpp). The event pump reports each pad by an id
// of its own; the buttons and the stick become key events through
// InputPostEvent. Main thread, except GetPadRemovalCount.
void InputPadButton(int32_t pad, int32_t virtualKey, bool down);
// The left stick, each axis from -1 to 1 (down and right positive).
void InputPadStick(int32_t pad, float x, float y);
// The pad was pulled out: whatever it held is let go.
void InputPadRemoved(int32_t pad);
// The mouse or the keyboard gave input: no pad is in play until one does.
void InputPadsOtherDeviceUsed();
// How many times the pad in play (the one that gave the last input) has been
// pulled out; the game compares it with the count it saw last, as it does
// with GetFocusLossCount.
uint32_t GetPadRemovalCount();

// Presses the player makes, counted by the event pump (main thread) as they
// arrive, whatever the game reads: also while a replay feeds the game. Any
// thread reads them; the game compares a count with the one it saw last.
enum class LivePress : int32_t {
  kAny = 0,      // every mouse button, key and pad button going down
  kConfirm = 1,  // the mouse button (a touch), Space, Enter, the pad's south button
};
uint32_t GetLivePressCount(LivePress kind);

// ---- Recorded input --------------------------------------------------------------

// One tick's input as the game reads it after sampling: touch slot 0 (in
// virtual units, which sampling keeps in steps of 1/kTouchSteps so that a
// record holds them exactly), the keys the game plays with, and whether the
// player left. A round records one per tick; a replay feeds them back.
constexpr float kTouchSteps = 16.0f;
enum TickInputFlag : uint8_t {
  kTickPointerDown = 1,
  kTickFocusLost = 2,   // the window lost the focus since the last record
  kTickWindowAway = 4,  // the window is away (unfocused or minimised)
  kTickPadRemoved = 8,  // the pad in play was pulled out since the last record
};
struct TickInput {
  uint8_t flags;
  int16_t x, y;   // slot 0's position in steps of 1/kTouchSteps
  uint32_t keys;  // bit i: kRecordedKeys[i] is down
};
constexpr int kRecordedKeyCount = 24;
extern const int32_t kRecordedKeys[kRecordedKeyCount];

// Tick thread, after SampleTouchSlots (or ticks paused, for the state a round
// starts from): the input as last sampled. Focus losses and pad removals are
// counted from the previous capture.
TickInput CaptureTickInput();
// From now on (on) the game's input reads answer from fed records only, and
// live input reaches the raw state but not the game; off returns to live
// input. Set while ticks are paused.
void SetInputPlayback(bool on);
bool IsInputPlayback();
// The record the next sampling reads (playback only). The flags' focus-loss
// and pad-removal bits count once each.
void FeedTickInput(const TickInput& input);
// Puts a record into touch slot 0 and the key samples as if a tick had
// sampled and finished with it: the state a replayed round starts from.
void PrimeTickInput(const TickInput& input);

// ---- Asset paths and utilities ------------------------------------------------

// "FOLDER/NAME" in a buffer of 264 bytes, rebuilt on each call (per thread);
// FOLDER is ./contents unless start-up chose another (SetContentsFolder).
const char* ContentsPath(const char* fileName);
// The rules' generator: lo to hi, the same numbers for the same seed on every
// system. Only what decides a round draws from it.
int32_t RandomInt(int32_t lo, int32_t hi);
// Seeds the rules' generator now (each round seeds it at its start).
void SeedRandom(uint32_t seed);
// The look's generator (colours, sparks): seeded by time, never by a round.
int32_t LookRandomInt(int32_t lo, int32_t hi);
// A fresh seed for a round, different for rounds started in the same second.
uint32_t NewRoundSeed();
int32_t PointInBounds(Vec2 point, Bounds box);
int32_t PointInCircle(Vec2 point, Vec2 centre, float radius);
int32_t CirclesOverlap(Vec2 centreA, float radiusA, Vec2 centreB, float radiusB);

// ---- Contents folder ------------------------------------------------------------

// ContentsPath's buffer, and the room a folder must leave in it for a bare
// file name (the game's longest names have 15 characters).
constexpr size_t kContentsPathSize = 264;
constexpr size_t kContentsNameRoom = 32;
// The longest folder path SetContentsFolder takes (without a trailing slash).
constexpr size_t kLongestContentsFolder = kContentsPathSize - kContentsNameRoom - 2;

// Makes ContentsPath build its paths in folder. 1, and nothing changes, for an
// empty folder or one longer than kLongestContentsFolder. Start-up only,
// before other threads build paths.
int32_t SetContentsFolder(const char* folder);
const char* GetContentsFolder();

// ---- Window icon ------------------------------------------------------------------

// Shows the PNG picture at path as the open window's icon. 0 on success; 1,
// with one line on standard error, when it cannot be read or shown.
int32_t SetWindowIcon(const char* path);
