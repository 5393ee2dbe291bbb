// The best score file: what a run makes of a missing, a
// good, a damaged and an unreadable file: the value it starts from, the
// damaged file kept aside whole, and which scores reach the disk.
#include "game/scene/best_score.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/app/player_file_writer.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(BestScore, FilesAreReadKeptAsideAndOnlyBeatenScoresWritten) {
  char pattern[] = "/tmp/tide_best_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path data = pattern;
  const fs::path file = data / "tide_marker" / "best_score.ini";
  const fs::path aside = file.string() + ".damaged";
  setenv("XDG_DATA_HOME", pattern, 1);
  struct Case {
    const char* name;
    const char* text;  // nullptr: no file; "/": a folder in its place
    int32_t startsAt;
    const char* keptAside;  // what the file held, moved beside it; nullptr: nothing
  };
  const Case cases[] = {
      {"missing", nullptr, 0, nullptr},
      {"good", "# header\nbest = 1200\n", 1200, nullptr},
      {"damaged with a score", "best = 900\n\x01garbage\n", 900, "best = 900\n\x01garbage\n"},
      {"no score in it", "best = lots\n", 0, "best = lots\n"},
      {"more digits than a score has", "best = 100000000\n", 0, "best = 100000000\n"},
      {"a folder in its place", "/", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(data / "tide_marker");
    fs::create_directories(file.parent_path());
    if (c.text != nullptr && std::string(c.text) == "/") {
      fs::create_directory(file);
    } else if (c.text != nullptr) {
      std::ofstream(file, std::ios::binary) << c.text;
    }
    testing::internal::CaptureStderr();
    BestScoreInit();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(bestScore.value, c.startsAt);
    EXPECT_EQ(said.empty(), c.text != nullptr && c.keptAside == nullptr) << said;
    EXPECT_EQ(said.find('\n'), said.empty() ? std::string::npos : said.size() - 1) << said;
    EXPECT_EQ(said.find("settings"), std::string::npos) << said;
    EXPECT_EQ(fs::exists(aside), c.keptAside != nullptr);
    if (c.keptAside != nullptr && *c.keptAside != '\0') {
      EXPECT_EQ(ReadText(aside), c.keptAside);
    }

    // A score that does not beat the best writes nothing; one that does is
    // on the disk once the writer is done.
    EXPECT_FALSE(BestScoreRecord(c.startsAt));
    PlayerFileWriterFinish();
    if (c.text == nullptr || c.keptAside != nullptr) {
      EXPECT_FALSE(fs::is_regular_file(file));
    }
    EXPECT_TRUE(BestScoreRecord(c.startsAt + 5));
    PlayerFileWriterFinish();
    EXPECT_NE(ReadText(file).find("\nbest = " + std::to_string(c.startsAt + 5) + "\n"), std::string::npos);
    EXPECT_EQ(bestScore.value, c.startsAt + 5);
  }
  // Another copy of the game writes a higher best meanwhile: a round between
  // the two neither beats it nor lowers the file; one above it does.
  const std::string higher = "best = " + std::to_string(bestScore.value + 50000) + "\n";
  std::ofstream(file, std::ios::binary) << higher;
  EXPECT_FALSE(BestScoreRecord(bestScore.value + 100));
  PlayerFileWriterFinish();
  EXPECT_EQ(ReadText(file), higher);
  const int32_t mine = bestScore.value - 50000;
  EXPECT_TRUE(BestScoreRecord(mine + 60000));
  PlayerFileWriterFinish();
  EXPECT_NE(ReadText(file).find("\nbest = " + std::to_string(mine + 60000) + "\n"), std::string::npos);
  // A score past the limit is kept as the limit.
  EXPECT_TRUE(BestScoreRecord(INT32_MAX));
  PlayerFileWriterFinish();
  EXPECT_NE(ReadText(file).find("\nbest = 99999999\n"), std::string::npos);
  fs::remove_all(data);
}

}  // namespace
