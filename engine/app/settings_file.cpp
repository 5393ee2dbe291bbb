// Reading and crash-safe writing of "key = value" settings files.
#include "engine/app/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "engine/app/platform.h"

namespace {

constexpr char kSettingsFileName[] = "settings.ini";

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string ErrnoText(int error) { return std::strerror(error); }

// Reads the whole file into *text; false with *error set when it cannot.
bool ReadWhole(FILE* file, std::string* text, std::string* error) {
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text->append(chunk, n);
    if (text->size() > kSettingsFileMaxBytes) {
      *error = "larger than " + std::to_string(kSettingsFileMaxBytes) + " bytes";
      return false;
    }
  }
  if (std::ferror(file)) {
    *error = ErrnoText(errno);
    return false;
  }
  return true;
}

// The entries of a text; the first line that is not "key = value" (nor a
// comment, a [section] or blank) is described in *problem.
void ParseEntries(const std::string& text, SettingsFile* file, std::string* problem) {
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
    size_t equals = line.find('=');
    std::string key = equals == std::string::npos ? "" : Trim(line.substr(0, equals));
    bool printable = true;
    for (char c : line) printable = printable && (static_cast<unsigned char>(c) >= 0x20 || c == '\t');
    if (key.empty() || !printable) {
      if (problem->empty()) *problem = "line " + std::to_string(lineNumber) + " is not \"key = value\"";
      continue;
    }
    PutSetting(file, key, Trim(line.substr(equals + 1)));
  }
}

}  // namespace

std::string SettingsFilePath(const char* xdgConfigHome, const char* home, const char* programName) {
  std::string base;
  // Relative values are not valid there and are ignored, as the base
  // directory rules ask.
  if (IsAbsolute(xdgConfigHome)) {
    base = xdgConfigHome;
  } else if (IsAbsolute(home)) {
    base = std::string(home) + (home[std::strlen(home) - 1] == '/' ? "" : "/") + ".config";
  } else {
    return "";
  }
  if (base.back() != '/') base += '/';
  return base + programName + "/" + kSettingsFileName;
}

std::string SystemSettingsPath(const char* programName) { return PlatformSettingsPath(programName); }

SettingsFile ReadSettingsFile(const std::string& path) {
  SettingsFile file;
  std::error_code code;
  std::filesystem::file_status status = std::filesystem::status(std::filesystem::u8path(path), code);
  if (status.type() == std::filesystem::file_type::not_found) {
    file.result = SettingsReadResult::kMissing;
    file.problem = "no settings file yet at " + path;
    return file;
  }
  if (status.type() != std::filesystem::file_type::regular) {
    file.result = SettingsReadResult::kUnreadable;
    file.problem = "cannot read the settings file " + path + " (" +
                   (code ? code.message() : std::string("not a regular file")) + ")";
    return file;
  }
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    file.result = SettingsReadResult::kUnreadable;
    file.problem = "cannot read the settings file " + path + " (" + ErrnoText(errno) + ")";
    return file;
  }
  std::string text, error;
  bool read = ReadWhole(in, &text, &error);
  std::fclose(in);
  if (!read) {
    file.result = SettingsReadResult::kDamaged;
    file.problem = "the settings file " + path + " is damaged (" + error + ")";
    return file;
  }
  std::string problem;
  ParseEntries(text, &file, &problem);
  if (!problem.empty()) {
    file.result = SettingsReadResult::kDamaged;
    file.problem = "the settings file " + path + " is damaged (" + problem + ")";
    return file;
  }
  file.result = SettingsReadResult::kRead;
  return file;
}

const std::string* FindSetting(const SettingsFile& file, const std::string& key) {
  for (const SettingsEntry& entry : file.entries)
    if (entry.key == key) return &entry.value;
  return nullptr;
}

void PutSetting(SettingsFile* file, const std::string& key, const std::string& value) {
  for (SettingsEntry& entry : file->entries) {
    if (entry.key == key) {
      entry.value = value;
      return;
    }
  }
  file->entries.push_back({key, value});
}

bool WriteSettingsFile(const std::string& path, const std::string& header, const SettingsFile& file,
                       std::string* error) {
  // UTF-8, said so: a plain path would read it in the C library's locale on Windows.
  std::filesystem::path target = std::filesystem::u8path(path);
  std::error_code code;
  std::filesystem::create_directories(target.parent_path(), code);
  if (code) {
    *error = "cannot make the folder " + target.parent_path().u8string() + " (" + code.message() + ")";
    return false;
  }
  std::string text = header.empty() ? "" : "# " + header + "\n";
  for (const SettingsEntry& entry : file.entries) text += entry.key + " = " + entry.value + "\n";

  // A name of its own, so two copies of the program saving at once never
  // write into the same temporary file.
  std::string temporary = path + "." + std::to_string(std::random_device{}()) + ".tmp";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) {
    *error = "cannot write " + temporary + " (" + ErrnoText(errno) + ")";
    return false;
  }
  bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
                 PlatformFlushToDisk(out) == 0;
  int writeError = errno;
  bool closed = std::fclose(out) == 0;
  if (!closed && written) writeError = errno;
  if (!written || !closed) {
    std::remove(temporary.c_str());
    *error = "cannot write " + temporary + " (" + ErrnoText(writeError) + ")";
    return false;
  }
  // The rename replaces the old file in one step: a reader, or a program
  // that crashed before this line, sees the old file whole or the new one.
  if (PlatformReplaceFile(temporary.c_str(), path.c_str()) != 0) {
    int replaceError = errno;
    std::remove(temporary.c_str());
    *error = "cannot replace " + path + " (" + ErrnoText(replaceError) + ")";
    return false;
  }
  return true;
}
