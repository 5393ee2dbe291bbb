// The player-file writer: saves handed over from another thread, for two
// files, while the writer is held in its first write, merge into one write
// each and the newest of each reaches the disk by the end; each write is
// reported; without the thread the passes write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/app/player_file_writer.h"

namespace {

namespace fs = std::filesystem;

std::atomic<int> savedReports{0};
std::atomic<int> failedReports{0};
// The first report holds the writer until every save is handed over; the
// saves after the first wait until it holds, so that first write took one
// save alone and all the others arrive while the writer is held.
std::atomic<bool> holdFirstWrite{false};
std::atomic<bool> writerHeld{false};
std::atomic<bool> allHandedOver{false};

void CountReport(bool saved, const std::string& error) {
  if (holdFirstWrite.exchange(false)) {
    writerHeld.store(true);
    while (!allHandedOver.load()) std::this_thread::yield();
  }
  (saved ? savedReports : failedReports).fetch_add(1);
  if (saved != error.empty()) failedReports.fetch_add(1000);
}

PlayerFileSave MakeSave(const std::string& path, int value) {
  PlayerFileSave save;
  save.path = path;
  save.header = "test";
  PutPlayerFileValue(&save.file, "value", std::to_string(value));
  save.report = CountReport;
  return save;
}

std::string ValueIn(const std::string& path) {
  PlayerFile file = ReadPlayerFile(path, "test file");
  const std::string* value = FindPlayerFileValue(file, "value");
  return value != nullptr ? *value : "(none: " + file.problem + ")";
}

TEST(PlayerFileWriter, QuickSavesMergeAndTheNewestReachesTheDisk) {
  char pattern[] = "/tmp/tide_writer_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern, a = dir + "/a/settings.ini", b = dir + "/b/settings.ini";
  const int kSaves = 500;
  for (bool thread : {true, false}) {
    SCOPED_TRACE(thread ? "writer thread" : "main-loop passes");
    savedReports.store(0);
    failedReports.store(0);
    uint64_t writesBefore = PlayerFileWritesDone();
    if (thread) {
      ASSERT_EQ(PlayerFileWriterStart(), 0);
    }
    // A tick-like thread hands saves over while this one runs passes.
    holdFirstWrite.store(true);
    writerHeld.store(false);
    allHandedOver.store(false);
    std::thread ticks([&] {
      for (int i = 1; i <= kSaves; ++i) {
        RequestPlayerFileSave(MakeSave(a, i));
        if (i == 1) {
          while (!writerHeld.load()) std::this_thread::yield();
        }
        if (i % 2 == 0) RequestPlayerFileSave(MakeSave(b, i));
      }
      allHandedOver.store(true);
    });
    while (!allHandedOver.load()) PlayerFileWriterPass();
    ticks.join();
    // A last change after the others, as the end callback may hand over.
    RequestPlayerFileSave(MakeSave(a, kSaves + 1));
    PlayerFileWriterFinish();
    EXPECT_EQ(ValueIn(a), std::to_string(kSaves + 1));
    EXPECT_EQ(ValueIn(b), std::to_string(kSaves));
    uint64_t writes = PlayerFileWritesDone() - writesBefore;
    // The held first write, one for each file, and the last change.
    EXPECT_GE(writes, 2u);
    EXPECT_LE(writes, 4u) << "saves handed over during a write were not merged";
    EXPECT_EQ(savedReports.load(), static_cast<int>(writes));
    EXPECT_EQ(failedReports.load(), 0);
    for (const std::string& folder : {dir + "/a", dir + "/b"}) {
      for (const auto& entry : fs::directory_iterator(folder)) EXPECT_EQ(entry.path().filename(), "settings.ini");
    }
  }
  // A save that cannot be written is reported as such.
  failedReports.store(0);
  RequestPlayerFileSave(MakeSave(dir + "/a/settings.ini/x", 1));
  PlayerFileWriterFinish();
  EXPECT_EQ(failedReports.load(), 1);
  fs::remove_all(dir);
}

}  // namespace
