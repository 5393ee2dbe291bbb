// Fuzz target for the whole-file Ogg Vorbis decode of sound effects: any bytes
// give either a refusal with an empty record or whole 16-bit frames of a mono
// or stereo stream. Reading the same bytes through a FILE must give the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/audio/sound.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "ogg_decode_fuzz: %s\n", what);
  std::abort();
}

void CheckPcm(const PcmData& pcm) {
  Require(pcm.data != nullptr && pcm.size > 0, "success without samples");
  Require(pcm.channels == 1 || pcm.channels == 2, "channel count other than 1 or 2");
  Require(pcm.rate > 0, "rate not positive");
  Require(pcm.bitsPerSample == 16 && pcm.blockAlign == pcm.channels * 2, "frame layout wrong");
  Require(pcm.bytesPerSecond == pcm.rate * pcm.blockAlign, "bytes per second wrong");
  Require(pcm.size % pcm.blockAlign == 0, "partial frame at the end");
  Require(pcm.size <= 64 * 1024 * 1024, "block over the limit");
  Require(SoundFormatFor(pcm.channels, pcm.bitsPerSample) >= 0, "no format for the stream");
  // Reading both ends lets the address sanitizer catch a short block.
  volatile uint8_t sink = pcm.data[0] ^ pcm.data[pcm.size - 1];
  (void)sink;
}

bool IsEmpty(const PcmData& pcm) {
  return pcm.data == nullptr && pcm.size == 0 && pcm.channels == 0 && pcm.rate == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PcmData fromMemory;
  int32_t memoryResult = DecodeOggMemory(data, size, &fromMemory);
  if (memoryResult == 0) {
    CheckPcm(fromMemory);
  } else {
    Require(memoryResult == 1, "result is neither 0 nor 1");
    Require(IsEmpty(fromMemory), "failure left a filled record");
  }

  if (size > 0) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file != nullptr) {
      PcmData fromFile;
      // Takes the file and closes it in every case.
      int32_t fileResult = DecodeOggFile(file, &fromFile);
      Require(fileResult == memoryResult, "file and memory decodes disagree on success");
      if (fileResult == 0) {
        Require(fromFile.size == fromMemory.size && fromFile.channels == fromMemory.channels &&
                    fromFile.rate == fromMemory.rate,
                "file and memory decodes disagree on the format");
        Require(std::memcmp(fromFile.data, fromMemory.data, fromFile.size) == 0,
                "file and memory decodes disagree on the samples");
      }
      FreePcmData(&fromFile);
      Require(IsEmpty(fromFile), "free left a filled record");
    }
  }
  FreePcmData(&fromMemory);
  return 0;
}
