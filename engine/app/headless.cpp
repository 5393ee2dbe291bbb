// The headless switch: a program that runs rounds without a window, a GL
// context or a sound device. Set once at start-up; read by the texture,
// renderer and audio layers, which then touch neither GL, OpenAL nor files.
#include <atomic>

#include "engine/app/app.h"

namespace {

std::atomic<bool> headless{false};

}  // namespace

void SetHeadless(bool on) { headless.store(on, std::memory_order_relaxed); }

bool IsHeadless() { return headless.load(std::memory_order_relaxed); }
