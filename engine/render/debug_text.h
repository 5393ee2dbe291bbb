// The engine's built-in fixed-width debug text: a glyph picture compiled into
// the program, drawn one quad per character. Main thread only.
#pragma once

#include <cstdint>

int32_t DebugTextInit();
void DebugTextRelease();
void SetDebugTextSize(int32_t size);
void SetDebugTextDepth(float depth);
void DrawDebugChar(int32_t x, int32_t y, uint8_t character);
void DrawDebugText(int32_t x, int32_t y, const char* text);
int32_t DebugPrintf(int32_t x, int32_t y, const char* format, ...);
