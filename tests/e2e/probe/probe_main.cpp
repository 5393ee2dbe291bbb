// e2e_probe: the eyes and ears of the whole-program tests. Reads screenshots
// of the game's window, plans a player's drags and measures the captured mix.
//   e2e_probe scene SHOT            which scene shows
//   e2e_probe digits SHOT hud|clear|best|title  a score counter's 8 digits
//   e2e_probe plate SHOT            the 30 block types, '?' for unreadable
//   e2e_probe plan SHOT MAXLEN      cells of a good drag (exit 3: no plate)
//   e2e_probe wavlen WAV            seconds of audio in a finished WAV file
//   e2e_probe level WAV FROM TO     RMS level between two times in seconds
//   e2e_probe playing WAV FROM TO   share of the half seconds in it that carry
//                                   sound (RMS above kPlayingLevel)
//   e2e_probe onset WAV             seconds before the first sound
// SHOT is a raw 1024 x 576 RGB screenshot; pictures come from the contents
// folder named by E2E_CONTENTS (default: contents).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/probe/screen_read.h"
#include "game/field/plate_plan.h"
#include "support/engine/wave_capture.h"

namespace {

// Music plays at RMS levels around 0.2; silence is exactly 0.
constexpr float kPlayingLevel = 0.01f;

int Usage() {
  std::fprintf(stderr, "usage: e2e_probe scene|digits|plate|plan|wavlen|level|playing|onset ARGS\n");
  return 2;
}

bool LoadInputs(const char* shotPath, Picture* shot, GamePictures* pictures) {
  const char* dir = std::getenv("E2E_CONTENTS");
  pictures->contentsDir = dir ? dir : "contents";
  if (!LoadScreenshot(shotPath, shot)) {
    std::fprintf(stderr, "e2e_probe: cannot read screenshot %s\n", shotPath);
    return false;
  }
  return true;
}

int WaveCommand(const std::string& command, int argc, char** argv) {
  WaveClip clip = ReadWave(argv[2]);
  if (clip.Frames() == 0) {
    std::fprintf(stderr, "e2e_probe: no finished audio in %s\n", argv[2]);
    return 1;
  }
  if (command == "wavlen") {
    std::printf("%.3f\n", static_cast<double>(clip.Frames()) / clip.rate);
    return 0;
  }
  if (command == "onset") {
    size_t first = FindOnset(clip, 0.001f);
    if (first == SIZE_MAX) return 1;
    std::printf("%.3f\n", static_cast<double>(first) / clip.rate);
    return 0;
  }
  if (argc != 5) return Usage();
  double from = std::atof(argv[3]), to = std::atof(argv[4]);
  size_t first = from <= 0 ? 0 : static_cast<size_t>(from * clip.rate);
  size_t last = static_cast<size_t>(to * clip.rate);
  if (last > clip.Frames()) last = clip.Frames();
  if (first >= last) {
    std::fprintf(stderr, "e2e_probe: window %.2f..%.2f lies outside the audio\n", from, to);
    return 1;
  }
  // The louder channel; "playing" counts the half seconds that carry sound.
  size_t step = command == "playing" ? static_cast<size_t>(clip.rate / 2) : last - first;
  int windows = 0, sounding = 0;
  float level = 0;
  for (size_t at = first; at + step <= last; at += step) {
    level = 0;
    for (int c = 0; c < clip.channels; ++c) level = std::fmax(level, RmsLevel(clip, c, at, step));
    windows += 1;
    sounding += level > kPlayingLevel;
  }
  if (command == "playing")
    std::printf("%.3f\n", windows == 0 ? 0.0 : static_cast<double>(sounding) / windows);
  else
    std::printf("%.5f\n", level);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "wavlen" || command == "level" || command == "playing" ||
      command == "onset") return WaveCommand(command, argc, argv);

  Picture shot;
  GamePictures pictures;
  if (!LoadInputs(argv[2], &shot, &pictures)) return 1;
  if (command == "scene") {
    std::printf("%s\n", ReadScene(shot, &pictures).c_str());
    return 0;
  }
  if (command == "digits" && argc == 4) {
    std::string digits = ReadScoreDigits(shot, &pictures, argv[3]);
    if (digits.empty()) {
      std::fprintf(stderr, "e2e_probe: no score counter named '%s'\n", argv[3]);
      return 2;
    }
    std::printf("%s\n", digits.c_str());
    return 0;
  }
  int types[30];
  if (command == "plate" || command == "plan") ReadPlate(shot, &pictures, types);
  if (command == "plate") {
    for (int t : types) std::putchar(t < 0 ? '?' : '0' + t);
    std::putchar('\n');
    return 0;
  }
  if (command == "plan" && argc == 4) {
    for (int t : types)
      if (t < 0) return 3;
    std::vector<int> cells = PlanDrag(types, std::atoi(argv[3]));
    if (cells.empty()) cells = SnakeDrag();
    for (size_t i = 0; i < cells.size(); ++i) std::printf(i ? " %d" : "%d", cells[i]);
    std::printf("\n");
    return 0;
  }
  return Usage();
}
