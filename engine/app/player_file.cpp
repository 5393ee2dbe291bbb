// Reading and crash-safe writing of "key = value" player files, and the
// clean-up of what an interrupted write left.
#include "engine/app/player_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "engine/app/platform.h"

namespace {

// The temporary file beside the target is "<target>.<8 hex digits>.tmp".
constexpr char kTemporarySuffix[] = ".tmp";
constexpr int kTemporaryNameTries = 16;
// A file kept aside is "<target>.damaged", then ".damaged.2" and on.
constexpr char kDamagedSuffix[] = ".damaged";
constexpr int kAsideNameTries = 100;

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// Links followed before a write gives up and replaces the last one, as the
// system gives up opening a path (Linux's limit).
constexpr int kMaxLinkHops = 40;

std::string ErrnoText(int error) { return std::strerror(error); }

// Reads the whole file into *text; false with *error set when it cannot.
bool ReadWhole(FILE* file, std::string* text, std::string* error) {
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text->append(chunk, n);
    if (text->size() > kPlayerFileMaxBytes) {
      *error = "larger than " + std::to_string(kPlayerFileMaxBytes) + " bytes";
      return false;
    }
  }
  if (std::ferror(file)) {
    *error = ErrnoText(errno);
    return false;
  }
  return true;
}

// Creates a temporary file of this write's own beside path: the exclusive
// create fails rather than share a file another writer (another copy of the
// program) has made. The descriptor, or -1 with errno set.
int CreateTemporary(const std::string& path, std::string* temporary) {
  std::random_device random;
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    *temporary = path + suffix + kTemporarySuffix;
    int fd = PlatformCreateNewFile(temporary->c_str());
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes all of text to fd, going on after short writes and interruptions.
bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    // write's count is a size_t here and an unsigned int on Windows: a piece
    // of at most 1 MiB fits both.
    const size_t piece = std::min<size_t>(text.size() - done, size_t{1} << 20);
    const auto n = write(fd, text.data() + done, static_cast<unsigned>(piece));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Removes a file, quietly: used where the removal only tidies up.
void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::u8path(path), ignored);
}

}  // namespace

std::string XdgFilePath(const char* xdgHome, const char* home, const char* homeFallback, const char* programName,
                        const char* fileName) {
  std::string base;
  // Relative values are not valid there and are ignored, as the base
  // directory rules ask.
  if (IsAbsolute(xdgHome)) {
    base = xdgHome;
  } else if (IsAbsolute(home)) {
    base = std::string(home) + (home[std::strlen(home) - 1] == '/' ? "" : "/") + homeFallback;
  } else {
    return "";
  }
  if (base.back() != '/') base += '/';
  return base + programName + "/" + fileName;
}

std::string SystemSettingsPath(const char* programName) { return PlatformSettingsPath(programName); }

std::string SystemDataPath(const char* programName, const char* fileName) {
  return PlatformDataPath(programName, fileName);
}

PlayerFile ReadPlayerFile(const std::string& path, const char* kind) {
  PlayerFile file;
  std::error_code code;
  std::filesystem::file_status status = std::filesystem::status(std::filesystem::u8path(path), code);
  if (status.type() == std::filesystem::file_type::not_found) {
    file.result = PlayerFileReadResult::kMissing;
    file.problem = std::string("no ") + kind + " yet at " + path;
    return file;
  }
  if (status.type() != std::filesystem::file_type::regular) {
    file.result = PlayerFileReadResult::kUnreadable;
    file.problem = std::string("cannot read the ") + kind + " " + path + " (" +
                   (code ? code.message() : std::string("not a regular file")) + ")";
    return file;
  }
  FILE* in = PlatformOpenForReading(path.c_str());
  if (in == nullptr) {
    file.result = PlayerFileReadResult::kUnreadable;
    file.problem = std::string("cannot read the ") + kind + " " + path + " (" + ErrnoText(errno) + ")";
    return file;
  }
  std::string text, error;
  bool read = ReadWhole(in, &text, &error);
  std::fclose(in);
  if (!read) {
    file.result = PlayerFileReadResult::kDamaged;
    file.problem = std::string("the ") + kind + " " + path + " is damaged (" + error + ")";
    return file;
  }
  std::string problem;
  file.entries = ParsePlayerFileText(text, &problem);
  if (!problem.empty()) {
    file.result = PlayerFileReadResult::kDamaged;
    file.problem = std::string("the ") + kind + " " + path + " is damaged (" + problem + ")";
    return file;
  }
  file.result = PlayerFileReadResult::kRead;
  return file;
}

bool WritePlayerFile(const std::string& linkedPath, const std::string& header, const PlayerFile& file,
                     std::string* error) {
  return WritePlayerFileBytes(linkedPath, FormatPlayerFileText(header, file.entries), error);
}

bool WritePlayerFileBytes(const std::string& linkedPath, const std::string& text, std::string* error) {
  // UTF-8, said so: a plain path would read it in the C library's locale on Windows.
  std::filesystem::path target = std::filesystem::u8path(linkedPath);
  std::error_code code;
  // A file that is a link is written where the link leads (followed link by
  // link, as far as the system would), so the link stays.
  namespace fs = std::filesystem;
  for (int hops = 0; hops < kMaxLinkHops && fs::is_symlink(fs::symlink_status(target, code)); ++hops) {
    fs::path next = fs::read_symlink(target, code);
    if (code) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  code.clear();
  const std::string path = target.u8string();
  std::filesystem::create_directories(target.parent_path(), code);
  if (code) {
    *error = "cannot make the folder " + target.parent_path().u8string() + " (" + code.message() + ")";
    return false;
  }
  std::string temporary;
  int fd = CreateTemporary(path, &temporary);
  if (fd < 0) {
    *error = "cannot write " + temporary + " (" + ErrnoText(errno) + ")";
    return false;
  }
  bool written = WriteAll(fd, text) && PlatformFlushFile(fd) == 0;
  int writeError = errno;
  bool closed = close(fd) == 0;
  if (!closed && written) writeError = errno;
  if (!written || !closed) {
    RemoveQuietly(temporary);
    *error = "cannot write " + temporary + " (" + ErrnoText(writeError) + ")";
    return false;
  }
  // The rename replaces the old file in one step: a reader, or a program
  // that crashed before this line, sees the old file whole or the new one.
  if (PlatformReplaceFile(temporary.c_str(), path.c_str()) != 0) {
    int replaceError = errno;
    RemoveQuietly(temporary);
    *error = "cannot replace " + path + " (" + ErrnoText(replaceError) + ")";
    return false;
  }
  // The rename itself is kept only once the folder's entry is on the disk.
  std::string folder = target.parent_path().u8string();
  if (PlatformFlushFolder(folder.empty() ? "." : folder) != 0) {
    *error = "cannot flush the folder " + folder + " (" + ErrnoText(errno) + ")";
    return false;
  }
  return true;
}

std::string KeepFileAside(const std::string& path, std::string* error) {
  namespace fs = std::filesystem;
  std::string aside = path + kDamagedSuffix;
  // The rename refuses a taken name (a link of that name too, whatever it
  // points to), so nothing made meanwhile under the name is replaced.
  for (int n = 2; PlatformRenameNoReplace(path.c_str(), aside.c_str()) != 0; ++n) {
    if (errno != EEXIST) {
      *error = "cannot keep " + path + " aside as " + aside + " (" + ErrnoText(errno) + ")";
      return "";
    }
    if (n > kAsideNameTries) {
      *error = "cannot keep " + path + " aside (every name up to " + aside + " is taken)";
      return "";
    }
    aside = path + kDamagedSuffix + "." + std::to_string(n);
  }
  std::string folder = fs::u8path(path).parent_path().u8string();
  PlatformFlushFolder(folder.empty() ? "." : folder);
  return aside;
}

int32_t RemoveStalePlayerFileTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path target = fs::u8path(path);
  std::string prefix = target.filename().u8string() + ".";
  std::error_code code;
  fs::directory_iterator folder(target.parent_path(), code);
  if (code) return 0;
  int32_t removed = 0;
  const fs::file_time_type now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& entry : folder) {
    std::string name = entry.path().filename().u8string();
    size_t suffixLength = sizeof kTemporarySuffix - 1;
    if (name.size() <= prefix.size() + suffixLength || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffixLength, suffixLength, kTemporarySuffix) != 0) {
      continue;
    }
    // Only plain files: a link or folder of that name is somebody else's.
    if (!fs::is_regular_file(fs::symlink_status(entry.path(), code))) continue;
    fs::file_time_type modified = fs::last_write_time(entry.path(), code);
    if (code || now - modified < std::chrono::seconds(kPlayerFileTemporaryStaleSeconds)) continue;
    if (fs::remove(entry.path(), code)) ++removed;
  }
  return removed;
}
