// Where the contents folder (every picture and sound) is found. The places,
// in order: the folder given on the command line; ./contents, where it has
// always been, so a run from the build folder keeps working; the installed folder,
// found from the executable's own folder (<prefix>/bin + ../share/<name>/
// contents) so that a moved installation still works; then
// <dir>/<name>/contents for each folder of $XDG_DATA_DIRS.
// Start-up only (main thread, before the loops start).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ContentsResult : int32_t {
  kFound,          // folder is the first place that exists and fits
  kNotFound,       // nowhere: folder is ./contents, where loads will fail
  kOptionRefused,  // the folder given is missing or too long: end the program
};

struct ContentsSearch {
  // --contents DIR, when given.
  bool optionGiven = false;
  std::string option;
  // The folder holding the running program; empty when unknown.
  std::string executableFolder;
  // The installed contents seen from the installed program's folder
  // ("../share/<name>/contents"); empty for none.
  std::string installedFromExecutable;
  // $XDG_DATA_DIRS; when unset or empty, /usr/local/share:/usr/share.
  bool xdgDataDirsSet = false;
  std::string xdgDataDirs;
  // <name> in share/<name>/contents.
  std::string programName;
  // False where the system has no installed folders (a browser page): only
  // ./contents is tried.
  bool systemFolders = true;
};

struct ContentsChoice {
  ContentsResult result = ContentsResult::kNotFound;
  std::string folder;
  // Lines for standard error (without the program's name or a newline):
  // places passed over, or why nothing was found.
  std::vector<std::string> notes;
};

// The places after the command line's, in the order they are tried.
std::vector<std::string> ContentsCandidates(const ContentsSearch& search);
// Tries the places against the file system. Never cuts a path: a place whose
// path leaves no room for a file name in the path buffer is passed over (or,
// given on the command line, refused) with a note saying so.
ContentsChoice FindContentsFolder(const ContentsSearch& search);

// The whole start-up step: reads the system's places (the executable's folder
// and $XDG_DATA_DIRS on Linux, PlatformFillContentsSearch),
// finds the folder, makes ContentsPath use it and writes the notes to
// standard error. Returns false when the program must end (exit code 1).
bool ChooseContentsFolder(bool optionGiven, const std::string& option, const char* programName,
                          const char* installedFromExecutable);
