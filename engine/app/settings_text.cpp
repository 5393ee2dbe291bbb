// Parsing and formatting the "key = value" text of settings files.
#include "engine/app/settings_text.h"

namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<SettingsEntry> ParseSettingsText(const std::string& text, std::string* problem) {
  std::vector<SettingsEntry> entries;
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
    PutSetting(&entries, key, Trim(line.substr(equals + 1)));
  }
  return entries;
}

std::string FormatSettingsText(const std::string& header, const std::vector<SettingsEntry>& entries) {
  std::string text = header.empty() ? "" : "# " + header + "\n";
  for (const SettingsEntry& entry : entries) text += entry.key + " = " + entry.value + "\n";
  return text;
}

const std::string* FindSetting(const std::vector<SettingsEntry>& entries, const std::string& key) {
  for (const SettingsEntry& entry : entries)
    if (entry.key == key) return &entry.value;
  return nullptr;
}

void PutSetting(std::vector<SettingsEntry>* entries, const std::string& key, const std::string& value) {
  for (SettingsEntry& entry : *entries) {
    if (entry.key == key) {
      entry.value = value;
      return;
    }
  }
  entries->push_back({key, value});
}
