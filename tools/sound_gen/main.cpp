// Composes the game's sounds into Ogg Vorbis files.
//   sound_gen <out-dir> <file.ogg>...
// Every name is one of the game's effects or music loops; output is the same
// on every run (fixed seeds, no clock).
#include <cstdio>
#include <cstring>
#include <string>

#include "effects.h"
#include "music.h"
#include "ogg_write.h"

namespace {

struct Recipe {
  const char* file;
  AudioBuffer (*make)();
  float quality;
};

const Recipe kRecipes[] = {
    {"SE_block.ogg", EffectBlock, 0.5f},       {"SE_make.ogg", EffectMake, 0.5f},
    {"SE_miss.ogg", EffectMiss, 0.5f},         {"SE_eat.ogg", EffectEat, 0.5f},
    {"SE_fivar.ogg", EffectFever, 0.5f},       {"SE_norma.ogg", EffectOrder, 0.5f},
    {"SE_NewPlate.ogg", EffectNewPlate, 0.5f}, {"SE_pageFlip.ogg", EffectPageFlip, 0.5f},
    {"BGM_title.ogg", MusicTitle, 0.4f},       {"BGM_game.ogg", MusicGame, 0.4f},
    {"BGM_clear.ogg", MusicClear, 0.4f},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sound_gen <out-dir> <file.ogg>...\n");
    return 2;
  }
  for (int a = 2; a < argc; ++a) {
    const Recipe* recipe = nullptr;
    int serial = 1;
    for (const Recipe& r : kRecipes) {
      if (std::strcmp(r.file, argv[a]) == 0) recipe = &r;
      if (!recipe) ++serial;
    }
    if (!recipe) {
      std::fprintf(stderr, "sound_gen: unknown sound %s\n", argv[a]);
      return 2;
    }
    const AudioBuffer buffer = recipe->make();
    const std::string path = std::string(argv[1]) + "/" + recipe->file;
    if (WriteOggVorbis(path.c_str(), buffer, recipe->quality, serial)) {
      std::fprintf(stderr, "sound_gen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
