// Asset paths: the folder ContentsPath builds paths in ("./contents" until
// start-up chooses another) and the search that chooses it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/app/app.h"
#include "engine/app/contents_search.h"
#include "engine/app/platform.h"

namespace {

constexpr char kDefaultFolder[] = "./contents";
constexpr char kDefaultPrefix[] = "./contents/";
constexpr char kDefaultDataDirs[] = "/usr/local/share:/usr/share";

// The chosen folder, in one place. Main thread, at start-up only, before
// any other thread builds a path; read by every thread after that.
struct ChosenFolder {
  // "folder/", put before every name.
  char prefix[kContentsPathSize];
  size_t prefixLength;
  // The folder as chosen, without the trailing slash.
  char folder[kContentsPathSize];
};

ChosenFolder chosen = {"./contents/", sizeof kDefaultPrefix - 1, "./contents"};

// One buffer per thread: the music thread and the main thread may build paths
// at the same time without overwriting each other's.
thread_local char contentsPath[kContentsPathSize];

bool FitsPathBuffer(const std::string& folder) { return folder.size() <= kLongestContentsFolder; }

// Every path the program holds is UTF-8; u8path says so where a plain
// path would read the bytes in the C library's locale (on Windows).
bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::u8path(path), error);
}

// "a" + "b" with exactly one slash between them.
std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  return a.back() == '/' ? a + b : a + "/" + b;
}

std::string TooLongNote(const std::string& folder) {
  return "the contents folder " + folder + " has a path of " + std::to_string(folder.size()) +
         " bytes, longer than the " + std::to_string(kLongestContentsFolder) + " that fit";
}

}  // namespace

const char* ContentsPath(const char* fileName) {
  size_t nameLength = fileName ? std::strlen(fileName) : 0;
  // A name that does not fit gives an empty path, which opens nothing; a cut
  // name could name a different file.
  if (!fileName || chosen.prefixLength + nameLength >= kContentsPathSize) {
    contentsPath[0] = '\0';
    return contentsPath;
  }
  std::memcpy(contentsPath, chosen.prefix, chosen.prefixLength);
  std::memcpy(contentsPath + chosen.prefixLength, fileName, nameLength + 1);
  return contentsPath;
}

int32_t SetContentsFolder(const char* folder) {
  if (folder == nullptr || folder[0] == '\0') return 1;
  size_t length = std::strlen(folder);
  // Trailing slashes are dropped ("/" itself stays as it is).
  while (length > 1 && folder[length - 1] == '/') --length;
  if (length > kLongestContentsFolder) return 1;
  std::memcpy(chosen.folder, folder, length);
  chosen.folder[length] = '\0';
  std::memcpy(chosen.prefix, folder, length);
  chosen.prefixLength = length;
  if (folder[length - 1] != '/') chosen.prefix[chosen.prefixLength++] = '/';
  chosen.prefix[chosen.prefixLength] = '\0';
  return 0;
}

const char* GetContentsFolder() { return chosen.folder; }

std::vector<std::string> ContentsCandidates(const ContentsSearch& search) {
  std::vector<std::string> places = {kDefaultFolder};
  if (!search.systemFolders) return places;
  const std::string tail = search.programName + "/contents";
  if (!search.executableFolder.empty() && !search.installedFromExecutable.empty()) {
    // Lexically: /usr/bin/../share/x/contents becomes /usr/share/x/contents,
    // which counts fewer bytes against the path buffer.
    std::filesystem::path place =
        std::filesystem::u8path(search.executableFolder) / std::filesystem::u8path(search.installedFromExecutable);
    std::string normal = place.lexically_normal().u8string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    places.push_back(normal);
  }
  std::string dirs = search.xdgDataDirsSet && !search.xdgDataDirs.empty() ? search.xdgDataDirs
                                                                            : kDefaultDataDirs;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    // Relative entries are not valid there and are ignored, as the base
    // directory rules ask.
    if (!dir.empty() && dir[0] == '/') places.push_back(JoinPath(dir, tail));
    start = end + 1;
  }
  return places;
}

ContentsChoice FindContentsFolder(const ContentsSearch& search) {
  ContentsChoice choice;
  if (search.optionGiven) {
    choice.folder = search.option;
    if (!FitsPathBuffer(search.option)) {
      choice.result = ContentsResult::kOptionRefused;
      choice.notes.push_back(TooLongNote(search.option));
    } else if (!IsFolder(search.option)) {
      choice.result = ContentsResult::kOptionRefused;
      choice.notes.push_back("the contents folder " + search.option + " does not exist");
    } else {
      choice.result = ContentsResult::kFound;
    }
    return choice;
  }
  std::vector<std::string> places = ContentsCandidates(search);
  for (const std::string& place : places) {
    if (!IsFolder(place)) continue;
    if (!FitsPathBuffer(place)) {
      choice.notes.push_back(TooLongNote(place) + "; passed over");
      continue;
    }
    choice.result = ContentsResult::kFound;
    choice.folder = place;
    return choice;
  }
  std::string looked;
  for (const std::string& place : places) looked += (looked.empty() ? "" : ", ") + place;
  choice.result = ContentsResult::kNotFound;
  choice.folder = kDefaultFolder;
  choice.notes.push_back("no contents folder found (looked in " + looked +
                         "); the pictures and sounds will be missing (--contents DIR names one)");
  return choice;
}

bool ChooseContentsFolder(bool optionGiven, const std::string& option, const char* programName,
                          const char* installedFromExecutable) {
  ContentsSearch search;
  search.installedFromExecutable = installedFromExecutable;
  search.optionGiven = optionGiven;
  search.option = option;
  search.programName = programName;
  PlatformFillContentsSearch(&search);
  ContentsChoice choice = FindContentsFolder(search);
  for (const std::string& note : choice.notes) std::fprintf(stderr, "%s: %s\n", programName, note.c_str());
  if (choice.result == ContentsResult::kOptionRefused) return false;
  // The choice fits by construction; SetContentsFolder checks again.
  return SetContentsFolder(choice.folder.c_str()) == 0;
}
