// Test helpers for the PNG loader: where the PNG conformance suite lives,
// whole-file reads, and small PNGs encoded in memory for tests to decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The PNG conformance suite's folder under the test data (tests/data/pngsuite).
std::string PngSuiteDir();
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// Encodes 8-bit pixels (channels 1 grey, 3 RGB or 4 RGBA, rows top first).
std::vector<uint8_t> EncodeTestPng(int width, int height, int channels,
                                   const std::vector<uint8_t>& pixels);
// A PNG whose header announces width x height (RGBA, 8 bits) followed by one
// tiny IDAT: for the loader's size guards.
std::vector<uint8_t> PngWithHeaderSize(uint32_t width, uint32_t height);
