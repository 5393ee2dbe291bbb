// Player files: where they live, what reading makes of good, damaged and
// unreadable files, writing into folders that exist, do not exist or cannot
// be, and the crash-safe write: a writer killed at any moment leaves the old
// file or the new one, whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/app/player_file.h"

namespace {

namespace fs = std::filesystem;

std::string MakeTempDir() {
  char pattern[] = "/tmp/tide_settings_XXXXXX";
  return mkdtemp(pattern) != nullptr ? pattern : "";
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  return names;
}

TEST(PlayerFile, PathFollowsTheBaseDirectoryRules) {
  struct Case {
    const char* xdg;
    const char* home;
    std::string path;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/tide_marker/settings.ini"},
      {"/cfg/", "/home/u", "/cfg/tide_marker/settings.ini"},
      {nullptr, "/home/u", "/home/u/.config/tide_marker/settings.ini"},
      {"", "/home/u/", "/home/u/.config/tide_marker/settings.ini"},
      {"relative/cfg", "/home/u", "/home/u/.config/tide_marker/settings.ini"},
      {nullptr, nullptr, ""},
      {"rel", "also/rel", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
    EXPECT_EQ(XdgFilePath(c.xdg, c.home, ".config", "tide_marker", kSettingsFileName), c.path);
  }
  EXPECT_EQ(XdgFilePath(nullptr, "/home/u", ".local/share", "tide_marker", "best_score.ini"),
            "/home/u/.local/share/tide_marker/best_score.ini");
}

TEST(PlayerFile, ReadingGoodAndDamagedFiles) {
  std::string dir = MakeTempDir();
  using R = PlayerFileReadResult;
  struct Case {
    const char* what;
    std::string text;
    R result;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  const Case cases[] = {
      {"good", "# header\nfullscreen = on\nvolume=70\n", R::kRead, {{"fullscreen", "on"}, {"volume", "70"}}},
      {"blank lines, sections, comments, CRLF, no final newline", "\r\n[main]\r\n; note\r\n  mute =  off \r\nvolume = 30",
       R::kRead, {{"mute", "off"}, {"volume", "30"}}},
      {"empty", "", R::kRead, {}},
      {"a key given twice keeps its last value", "volume = 10\nvolume = 20\n", R::kRead, {{"volume", "20"}}},
      {"a line without '='", "volume = 10\ngarbage here\nmute = on\n", R::kDamaged, {{"volume", "10"}, {"mute", "on"}}},
      {"no key", "= 5\nvolume = 60\n", R::kDamaged, {{"volume", "60"}}},
      {"binary bytes", std::string("vol\0ume = 1\x01\n", 13) + "mute = on\n", R::kDamaged, {{"mute", "on"}}},
      {"far too large", std::string(kPlayerFileMaxBytes + 1, '#'), R::kDamaged, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = dir + "/settings.ini";
    WriteText(path, c.text);
    PlayerFile file = ReadPlayerFile(path, "settings file");
    EXPECT_EQ(file.result, c.result);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const PlayerFileEntry& e : file.entries) entries.emplace_back(e.key, e.value);
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(file.problem.empty(), c.result == R::kRead) << file.problem;
    EXPECT_EQ(file.problem.find('\n'), std::string::npos);
  }
  PlayerFile missing = ReadPlayerFile(dir + "/none/settings.ini", "settings file");
  EXPECT_EQ(missing.result, R::kMissing);
  EXPECT_EQ(missing.problem, "no settings file yet at " + dir + "/none/settings.ini");
  // A folder where the file should be cannot be read (whoever runs the test).
  fs::create_directories(dir + "/folder.ini");
  PlayerFile folder = ReadPlayerFile(dir + "/folder.ini", "best score file");
  EXPECT_EQ(folder.result, R::kUnreadable);
  EXPECT_EQ(folder.problem.rfind("cannot read the best score file " + dir + "/folder.ini (", 0), 0u) << folder.problem;
  fs::remove_all(dir);
}

TEST(PlayerFile, WritingReplacesTheFileWholeOrLeavesItAlone) {
  std::string dir = MakeTempDir();
  PlayerFile file;
  PutPlayerFileValue(&file, "volume", "40");
  PutPlayerFileValue(&file, "mute", "on");
  PutPlayerFileValue(&file, "volume", "50");
  std::string error;

  // The folder is made when missing; the file reads back; no temporary is left.
  std::string path = dir + "/a/b/settings.ini";
  ASSERT_TRUE(WritePlayerFile(path, "a header", file, &error)) << error;
  EXPECT_EQ(ReadText(path), "# a header\nvolume = 50\nmute = on\n");
  PlayerFile back = ReadPlayerFile(path, "settings file");
  EXPECT_EQ(back.result, PlayerFileReadResult::kRead);
  ASSERT_NE(FindPlayerFileValue(back, "volume"), nullptr);
  EXPECT_EQ(*FindPlayerFileValue(back, "volume"), "50");
  EXPECT_EQ(FindPlayerFileValue(back, "none"), nullptr);
  EXPECT_EQ(FilesIn(dir + "/a/b"), std::vector<std::string>{"settings.ini"});

  // Places that cannot be written: each fails with a reason and leaves
  // what was there as it was.
  WriteText(dir + "/plainfile", "not a folder");
  fs::create_directories(dir + "/taken/settings.ini/inside");
  struct Case {
    const char* what;
    std::string path;
  };
  const Case cases[] = {
      {"the folder is a file", dir + "/plainfile/settings.ini"},
      {"the folder is under a file", dir + "/plainfile/deeper/settings.ini"},
      {"a folder stands where the file goes", dir + "/taken/settings.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    error.clear();
    EXPECT_FALSE(WritePlayerFile(c.path, "", file, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  EXPECT_EQ(ReadText(dir + "/plainfile"), "not a folder");
  EXPECT_TRUE(fs::is_directory(dir + "/taken/settings.ini/inside"));
  EXPECT_EQ(FilesIn(dir + "/taken"), std::vector<std::string>{"settings.ini"}) << "temporary file left behind";

#ifndef _WIN32
  // A settings file that is a link is written through it; the link stays.
  fs::create_directories(dir + "/real");
  fs::create_symlink(dir + "/real/kept.ini", dir + "/linked.ini");
  ASSERT_TRUE(WritePlayerFile(dir + "/linked.ini", "", file, &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir + "/linked.ini"));
  EXPECT_EQ(ReadText(dir + "/real/kept.ini"), "volume = 50\nmute = on\n");
#endif

  // Kept aside under the first free name; names taken stay as they were.
  WriteText(dir + "/b.ini", "damaged");
  WriteText(dir + "/b.ini.damaged", "older");
  WriteText(dir + "/b.ini.damaged.2", "older still");
  EXPECT_EQ(KeepFileAside(dir + "/b.ini", &error), dir + "/b.ini.damaged.3") << error;
  EXPECT_EQ(ReadText(dir + "/b.ini.damaged"), "older");
  EXPECT_EQ(ReadText(dir + "/b.ini.damaged.3"), "damaged");
  EXPECT_FALSE(fs::exists(dir + "/b.ini"));
  fs::remove_all(dir);
}

TEST(PlayerFile, AWriterKilledMidWriteLeavesTheOldOrTheNewFileWhole) {
  std::string dir = MakeTempDir();
  std::string path = dir + "/settings.ini";
  // Two versions large enough that writing one takes a while.
  PlayerFile oldFile, newFile;
  for (int i = 0; i < 4000; ++i) {
    PutPlayerFileValue(&oldFile, "key" + std::to_string(i), std::string(60, 'o'));
    PutPlayerFileValue(&newFile, "key" + std::to_string(i), std::string(60, 'n'));
  }
  std::string error;
  ASSERT_TRUE(WritePlayerFile(path, "", oldFile, &error)) << error;
  const std::string oldText = ReadText(path);
  ASSERT_TRUE(WritePlayerFile(dir + "/expected.ini", "", newFile, &error)) << error;
  const std::string newText = ReadText(dir + "/expected.ini");

  int oldSeen = 0, newSeen = 0;
  for (int trial = 0; trial < 40; ++trial) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string childError;
      WritePlayerFile(path, "", newFile, &childError);
      _exit(0);
    }
    // Killed at moments spread from before the write starts to after it ends.
    usleep(static_cast<useconds_t>(trial * 150));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::string now = ReadText(path);
    ASSERT_TRUE(now == oldText || now == newText) << "trial " << trial << ": a file of " << now.size() << " bytes";
    (now == oldText ? oldSeen : newSeen) += 1;
    if (now == newText) {
      ASSERT_TRUE(WritePlayerFile(path, "", oldFile, &error)) << error;
    }
  }
  std::printf("killed writers left the old file %d times, the new one %d times\n", oldSeen, newSeen);
  fs::remove_all(dir);
}

TEST(PlayerFile, StaleTemporariesGoAndNothingElse) {
  std::string dir = MakeTempDir();
  const std::vector<std::string> kept = {"settings.ini", "settings.ini.1234abcd.tmp", "other.ini.0000aaaa.tmp",
                                         "settings.ini.bak", "settings.ini.tmp"};
  for (const std::string& name : kept) WriteText(dir + "/" + name, "x");
  WriteText(dir + "/settings.ini.0000abcd.tmp", "left by a crash");
  // Only the crash's file is old enough to be nobody's write under way.
  fs::last_write_time(dir + "/settings.ini.0000abcd.tmp",
                      fs::file_time_type::clock::now() - std::chrono::seconds(2 * kPlayerFileTemporaryStaleSeconds));
  EXPECT_EQ(RemoveStalePlayerFileTemporaries(dir + "/settings.ini"), 1);
  std::vector<std::string> left = FilesIn(dir), expected = kept;
  std::sort(left.begin(), left.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_EQ(RemoveStalePlayerFileTemporaries(dir + "/none/settings.ini"), 0);
  fs::remove_all(dir);
}

}  // namespace
