// The settings writer: saves handed over quickly, from another thread, for
// two files, merge into fewer writes and the newest of each reaches the disk
// by the end; each write is reported; without the thread the passes write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/app/settings_writer.h"

namespace {

namespace fs = std::filesystem;

std::atomic<int> savedReports{0};
std::atomic<int> failedReports{0};

void CountReport(bool saved, const std::string& error) {
  (saved ? savedReports : failedReports).fetch_add(1);
  if (saved != error.empty()) failedReports.fetch_add(1000);
}

SettingsSave MakeSave(const std::string& path, int value) {
  SettingsSave save;
  save.path = path;
  save.header = "test";
  PutSetting(&save.file, "value", std::to_string(value));
  save.report = CountReport;
  return save;
}

std::string ValueIn(const std::string& path) {
  SettingsFile file = ReadSettingsFile(path);
  const std::string* value = FindSetting(file, "value");
  return value != nullptr ? *value : "(none: " + file.problem + ")";
}

TEST(SettingsWriter, QuickSavesMergeAndTheNewestReachesTheDisk) {
  char pattern[] = "/tmp/tide_writer_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern, a = dir + "/a/settings.ini", b = dir + "/b/settings.ini";
  const int kSaves = 500;
  for (bool thread : {true, false}) {
    SCOPED_TRACE(thread ? "writer thread" : "main-loop passes");
    savedReports.store(0);
    failedReports.store(0);
    uint64_t writesBefore = SettingsWritesDone();
    if (thread) {
      ASSERT_EQ(SettingsWriterStart(), 0);
    }
    // A tick-like thread hands saves over while this one runs passes.
    std::atomic<bool> done{false};
    std::thread ticks([&] {
      for (int i = 1; i <= kSaves; ++i) {
        RequestSettingsSave(MakeSave(a, i));
        if (i % 2 == 0) RequestSettingsSave(MakeSave(b, i));
      }
      done.store(true);
    });
    while (!done.load()) SettingsWriterPass();
    ticks.join();
    // A last change after the others, as the end callback may hand over.
    RequestSettingsSave(MakeSave(a, kSaves + 1));
    SettingsWriterFinish();
    EXPECT_EQ(ValueIn(a), std::to_string(kSaves + 1));
    EXPECT_EQ(ValueIn(b), std::to_string(kSaves));
    uint64_t writes = SettingsWritesDone() - writesBefore;
    EXPECT_GE(writes, 2u);
    EXPECT_LT(writes, static_cast<uint64_t>(kSaves)) << "quick saves were not merged";
    EXPECT_EQ(savedReports.load(), static_cast<int>(writes));
    EXPECT_EQ(failedReports.load(), 0);
    for (const std::string& folder : {dir + "/a", dir + "/b"}) {
      for (const auto& entry : fs::directory_iterator(folder)) EXPECT_EQ(entry.path().filename(), "settings.ini");
    }
  }
  // A save that cannot be written is reported as such.
  failedReports.store(0);
  RequestSettingsSave(MakeSave(dir + "/a/settings.ini/x", 1));
  SettingsWriterFinish();
  EXPECT_EQ(failedReports.load(), 1);
  fs::remove_all(dir);
}

}  // namespace
