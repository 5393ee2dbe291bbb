// The player's settings: what each volume key does, and what the values in
// the settings file become (good, between the steps, out of range, not
// understood). Saving, reloading and the command line's say over the file
// are played through the real program in tests/e2e/settings_test.sh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/scene/player_settings.h"

namespace {

namespace fs = std::filesystem;

TEST(PlayerSettings, VolumeKeys) {
  using K = VolumeKey;
  struct Case {
    const char* what;
    int32_t volume;
    bool muted;
    std::vector<K> keys;
    int32_t volumeAfter;
    bool mutedAfter;
  };
  const Case cases[] = {
      {"down a step", 100, false, {K::kDown}, 90, false},
      {"down to silence and no further", 20, false, {K::kDown, K::kDown, K::kDown}, 0, false},
      {"up and no further than 100", 80, false, {K::kUp, K::kUp, K::kUp}, 100, false},
      {"mute keeps the level", 60, false, {K::kMute}, 60, true},
      {"unmute restores the level", 60, false, {K::kMute, K::kMute}, 60, false},
      {"a step while muted unmutes from the level", 60, true, {K::kUp}, 70, false},
      {"down while muted", 60, true, {K::kDown}, 50, false},
      {"up from silence", 0, false, {K::kUp}, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int32_t volume = c.volume;
    bool muted = c.muted;
    for (K key : c.keys) ApplyVolumeKey(key, &volume, &muted);
    EXPECT_EQ(volume, c.volumeAfter);
    EXPECT_EQ(muted, c.mutedAfter);
  }
}

class PlayerSettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tide_player_settings_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& text) {
    std::string path = dir_ + "/settings.ini";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string dir_;
};

TEST_F(PlayerSettingsFileTest, ValuesReadFromTheFile) {
  struct Case {
    const char* what;
    std::string text;
    bool fullscreen;
    int32_t volume;
    bool muted;
    bool problem;
    bool cardsSeen = false;
  };
  const Case cases[] = {
      {"all set", "fullscreen = on\nvolume = 40\nmute = on\n", true, 40, true, false},
      {"nothing set: the defaults", "", false, 100, false, false},
      {"other spellings", "fullscreen = yes\nmute = false\nvolume = 0\n", true, 0, false, false},
      {"between the steps: the nearest", "volume = 45\n", false, 50, false, false},
      {"a low level rounds down", "volume = 4\n", false, 0, false, false},
      {"out of range keeps the default", "volume = 150\nfullscreen = on\n", true, 100, false, true},
      {"negative", "volume = -10\n", false, 100, false, true},
      {"not a number", "volume = loud\n", false, 100, false, true},
      {"not a switch", "fullscreen = maybe\nmute = on\n", false, 100, true, true},
      {"a damaged line keeps the rest", "fullscreen = on\n\x7f\x01garbage\nvolume = 30\n", true, 30, false, true},
      {"unknown keys are no problem", "colour = blue\nvolume = 90\n", false, 90, false, false},
      {"the cards seen", "how_to_play_seen = on\nvolume = 70\n", false, 70, false, false, true},
      {"the cards: not a switch", "how_to_play_seen = twice\n", false, 100, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlayerSettings settings{};
    std::string problem;
    ReadPlayerSettings(Write(c.text), &settings, &problem);
    EXPECT_EQ(settings.fullscreenSaved, c.fullscreen);
    EXPECT_EQ(settings.volume, c.volume);
    EXPECT_EQ(settings.muted, c.muted);
    EXPECT_EQ(settings.cardsSeen, c.cardsSeen);
    EXPECT_EQ(!problem.empty(), c.problem) << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos);
  }
  // No file: the defaults, and a problem that names the path.
  PlayerSettings settings{};
  settings.volume = 30;
  std::string problem;
  ReadPlayerSettings(dir_ + "/none.ini", &settings, &problem);
  EXPECT_EQ(settings.volume, 100);
  EXPECT_NE(problem.find(dir_ + "/none.ini"), std::string::npos);
  // What a save writes reads back the same.
  settings.cardsSeen = true;
  PlayerSettings back{};
  PlayerSettingsFromEntries(PlayerSettingsEntries(settings), "", &back, &problem);
  EXPECT_TRUE(back.cardsSeen);
}

}  // namespace
