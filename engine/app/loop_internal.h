// Engine-internal operations of the application frame, shared between its own
// files (start-up in window.cpp, the loops in main_loop.cpp) and its tests.
// Not for game code.
#pragma once

#include <cstdint>

// The loop state of window start-up: no tick callback, rate 5, quitState 0,
// wait flags clear, rate rings and measured rates zeroed, clocks at now.
void ResetLoopState();
// Starts the timer thread; 1 if one is running already or it cannot start.
int32_t StartTimerThread();
// Asks for quit and joins the timer thread (tests and failed start-ups).
void StopTimerThread();
bool HasTimerThread();
// True while ticks run: on the timer thread, or fed by the main loop's passes.
bool TicksRunning();
// Where there are no threads: from now (GetTimeMs) on, each main-loop pass
// begins with the ticks that are due; the first is due one period later.
// 1 if ticks already run.
int32_t StartFrameTicks(uint32_t now);
// What a pass runs first when it feeds the ticks: every tick due by now, on
// the timer thread's deadlines, each run at now. Nothing once quit is asked.
void RunDueTicks(uint32_t now);

// The deadline after a tick that ran at now for the given deadline: now plus
// the period, or, while a tick is less than catchUpTicks periods late, the
// old deadline plus the period, so missed deadlines are made up (the timer
// thread wakes on time and passes 0; frames come later than ticks are due).
uint32_t NextTickDeadline(uint32_t deadline, uint32_t now, uint32_t period, uint32_t catchUpTicks);

// Steps of CreateAppWindow.
int32_t SetupGlContext(int32_t width, int32_t height, bool noVsync);

// True while a tick callback is set (ticks are not paused by a scene switch).
bool HasTickCallback();

// The input hand-over's bookkeeping: events still waiting, a reset for a new
// window, and the marks a tick's sampling sets at its start and end.
int32_t InputPendingCount();
void InputClearPending();
void InputTickBegins();
void InputTickEnds();

// The raw state as the event pump left it, whatever the game reads (the
// pump's own bookkeeping, also during playback).
int32_t RawTouchDown(int32_t index);
int32_t RawKeyDown(int32_t virtualKey);
// A position as sampling keeps it: in steps of 1/kTouchSteps, within what a
// record's 16 bits hold.
float TouchStep(float v);
// The key samples' down state (tick thread, or ticks paused), for records.
bool KeySampledDown(int32_t virtualKey);
void SetKeySampledDown(int32_t virtualKey, bool down);
// Playback's answers to the game's reads (input_record.cpp).
int32_t PlaybackPoint(int32_t index, float* x, float* y);
int32_t PlaybackKeyDown(int32_t virtualKey);
uint32_t PlaybackFocusLossCount();
bool PlaybackWindowAway();
uint32_t PlaybackPadRemovalCount();

// Tests only: a function run while a touch point is read, after its down
// flag and before its position, where the event pump may change both;
// nullptr for none.
using TouchReadHook = void (*)();
void SetTouchReadHook(TouchReadHook hook);
