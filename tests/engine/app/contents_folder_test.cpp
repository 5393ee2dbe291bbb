// Where the contents are found: the order of the places, each place found in
// turn as the ones before it go missing, paths that would not fit the path
// buffer, and the paths ContentsPath then builds. Real folders in a
// temporary tree; the current directory is moved into it for ./contents.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/app/app.h"
#include "engine/app/contents_search.h"

namespace {

namespace fs = std::filesystem;

constexpr char kName[] = "tide_marker";

TEST(ContentsSearch, PlacesComeInOrder) {
  struct Case {
    const char* what;
    std::string executableFolder;
    std::string fromExecutable;
    bool xdgSet;
    std::string xdg;
    std::vector<std::string> places;
  };
  const Case cases[] = {
      {"installed, two data folders", "/opt/game/bin/", "../share/tide_marker/contents", true, "/a:/b/",
       {"./contents", "/opt/game/share/tide_marker/contents", "/a/tide_marker/contents",
        "/b/tide_marker/contents"}},
      {"data folders unset: the default pair", "/usr/bin/", "../share/tide_marker/contents", false, "",
       {"./contents", "/usr/share/tide_marker/contents", "/usr/local/share/tide_marker/contents",
        "/usr/share/tide_marker/contents"}},
      {"data folders empty: the default pair", "", "../share/tide_marker/contents", true, "",
       {"./contents", "/usr/local/share/tide_marker/contents", "/usr/share/tide_marker/contents"}},
      {"relative and empty entries are ignored", "/x/build/", "../share/tide_marker/contents", true, "rel::/c:./d",
       {"./contents", "/x/share/tide_marker/contents", "/c/tide_marker/contents"}},
      {"program in the root folder", "/", "../share/tide_marker/contents", true, "/e",
       {"./contents", "/share/tide_marker/contents", "/e/tide_marker/contents"}},
      {"a games layout", "/usr/games/", "../share/games/tide_marker/contents", true, "/f",
       {"./contents", "/usr/share/games/tide_marker/contents", "/f/tide_marker/contents"}},
      {"no installed place", "/usr/bin/", "", true, "/g",
       {"./contents", "/g/tide_marker/contents"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ContentsSearch search;
    search.executableFolder = c.executableFolder;
    search.installedFromExecutable = c.fromExecutable;
    search.xdgDataDirsSet = c.xdgSet;
    search.xdgDataDirs = c.xdg;
    search.programName = kName;
    EXPECT_EQ(ContentsCandidates(search), c.places);
  }
}

class ContentsFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tide_contents_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    previous_ = fs::current_path();
    fs::create_directories(root_ + "/run");
    fs::current_path(root_ + "/run");
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(root_);
    SetContentsFolder("./contents");
  }
  // A search as an installation under <root>/prefix sees it, with two data folders.
  ContentsSearch Installed() const {
    ContentsSearch search;
    search.executableFolder = root_ + "/prefix/bin/";
    search.installedFromExecutable = "../share/tide_marker/contents";
    search.xdgDataDirsSet = true;
    search.xdgDataDirs = root_ + "/xdg1:" + root_ + "/xdg2";
    search.programName = kName;
    return search;
  }
  std::string root_;
  fs::path previous_;
};

TEST_F(ContentsFolderTest, EachPlaceIsFoundWhenThoseBeforeItAreMissing) {
  const std::string places[] = {
      "./contents",
      root_ + "/prefix/share/tide_marker/contents",
      root_ + "/xdg1/tide_marker/contents",
      root_ + "/xdg2/tide_marker/contents",
  };
  for (const std::string& place : places) fs::create_directories(place);
  for (const std::string& place : places) {
    SCOPED_TRACE(place);
    ContentsChoice choice = FindContentsFolder(Installed());
    EXPECT_EQ(choice.result, ContentsResult::kFound);
    EXPECT_EQ(choice.folder, place);
    EXPECT_TRUE(choice.notes.empty());
    fs::remove_all(place);
  }
  // Nowhere: ./contents (loads will fail and say so) and one note naming the places.
  ContentsChoice choice = FindContentsFolder(Installed());
  EXPECT_EQ(choice.result, ContentsResult::kNotFound);
  EXPECT_EQ(choice.folder, "./contents");
  ASSERT_EQ(choice.notes.size(), 1u);
  for (const std::string& place : places) EXPECT_NE(choice.notes[0].find(place), std::string::npos) << place;
  // A file where a folder should be does not count.
  fs::create_directories(root_ + "/xdg2/tide_marker");
  std::fclose(std::fopen((root_ + "/xdg2/tide_marker/contents").c_str(), "w"));
  EXPECT_EQ(FindContentsFolder(Installed()).result, ContentsResult::kNotFound);
}

TEST_F(ContentsFolderTest, TheFolderGivenComesFirstAndIsNeverPassedOver) {
  fs::create_directories("contents");
  fs::create_directories(root_ + "/given");
  struct Case {
    std::string option;
    ContentsResult result;
  };
  const Case cases[] = {
      {root_ + "/given", ContentsResult::kFound},
      {"../run/contents", ContentsResult::kFound},
      {root_ + "/missing", ContentsResult::kOptionRefused},
      {root_ + "/given/" + std::string(kLongestContentsFolder, 'x'), ContentsResult::kOptionRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    ContentsSearch search = Installed();
    search.optionGiven = true;
    search.option = c.option;
    ContentsChoice choice = FindContentsFolder(search);
    EXPECT_EQ(choice.result, c.result);
    EXPECT_EQ(choice.folder, c.option);
    EXPECT_EQ(choice.notes.size(), c.result == ContentsResult::kFound ? 0u : 1u);
  }
}

TEST_F(ContentsFolderTest, PlacesTooLongForThePathBufferArePassedOverNotCut) {
  // An existing data folder whose contents path is one byte too long.
  std::string longDir = root_ + "/";
  size_t tail = std::string("/tide_marker/contents").size();
  longDir += std::string(kLongestContentsFolder + 1 - longDir.size() - tail, 'l');
  std::string longPlace = longDir + "/tide_marker/contents";
  ASSERT_EQ(longPlace.size(), kLongestContentsFolder + 1);
  fs::create_directories(longPlace);
  fs::create_directories(root_ + "/xdg2/tide_marker/contents");
  ContentsSearch search = Installed();
  search.xdgDataDirs = longDir + ":" + root_ + "/xdg2";
  ContentsChoice choice = FindContentsFolder(search);
  EXPECT_EQ(choice.result, ContentsResult::kFound);
  EXPECT_EQ(choice.folder, root_ + "/xdg2/tide_marker/contents");
  ASSERT_EQ(choice.notes.size(), 1u);
  EXPECT_NE(choice.notes[0].find(longPlace), std::string::npos);
  EXPECT_NE(choice.notes[0].find("passed over"), std::string::npos);
}

TEST_F(ContentsFolderTest, ContentsPathBuildsInTheChosenFolder) {
  struct Case {
    std::string folder;
    int32_t result;
    std::string path;  // of "White.png" afterwards
  };
  const std::string longest(kLongestContentsFolder, 'f');
  const Case cases[] = {
      {"/usr/share/tide_marker/contents", 0, "/usr/share/tide_marker/contents/White.png"},
      {"/opt/x/contents//", 0, "/opt/x/contents/White.png"},
      {"rel", 0, "rel/White.png"},
      {"", 1, "rel/White.png"},
      {longest + "f", 1, "rel/White.png"},
      {longest, 0, longest + "/White.png"},
      {"./contents", 0, "./contents/White.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(SetContentsFolder(c.folder.c_str()), c.result);
    EXPECT_EQ(std::string(ContentsPath("White.png")), c.path);
  }
  // In the longest folder a name of kContentsNameRoom characters still fits.
  ASSERT_EQ(SetContentsFolder(longest.c_str()), 0);
  EXPECT_EQ(std::string(ContentsPath(std::string(kContentsNameRoom, 'n').c_str())).size(),
            kContentsPathSize - 1);
  EXPECT_STREQ(ContentsPath(std::string(kContentsNameRoom + 1, 'n').c_str()), "");
  EXPECT_EQ(SetContentsFolder(nullptr), 1);
  EXPECT_EQ(std::string(GetContentsFolder()), longest);
}

}  // namespace
