// Parsing and formatting the "key = value" text of player files.
#include "engine/app/player_file_text.h"

namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<PlayerFileEntry> ParsePlayerFileText(const std::string& text, std::string* problem) {
  std::vector<PlayerFileEntry> entries;
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
    PutPlayerFileValue(&entries, key, Trim(line.substr(equals + 1)));
  }
  return entries;
}

std::string FormatPlayerFileText(const std::string& header, const std::vector<PlayerFileEntry>& entries) {
  std::string text = header.empty() ? "" : "# " + header + "\n";
  for (const PlayerFileEntry& entry : entries) text += entry.key + " = " + entry.value + "\n";
  return text;
}

const std::string* FindPlayerFileValue(const std::vector<PlayerFileEntry>& entries, const std::string& key) {
  for (const PlayerFileEntry& entry : entries)
    if (entry.key == key) return &entry.value;
  return nullptr;
}

void PutPlayerFileValue(std::vector<PlayerFileEntry>* entries, const std::string& key, const std::string& value) {
  for (PlayerFileEntry& entry : *entries) {
    if (entry.key == key) {
      entry.value = value;
      return;
    }
  }
  entries->push_back({key, value});
}
