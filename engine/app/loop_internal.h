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

// Steps of CreateAppWindow.
int32_t SetupGlContext(int32_t width, int32_t height, bool noVsync);
int32_t OpenAudioDevice();

// True while a tick callback is set (ticks are not paused by a scene switch).
bool HasTickCallback();

// The input hand-over's bookkeeping: events still waiting, a reset for a new
// window, and the marks a tick's sampling sets at its start and end.
int32_t InputPendingCount();
void InputClearPending();
void InputTickBegins();
void InputTickEnds();
