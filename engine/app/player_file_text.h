// The "key = value" text of a player file (settings, best score), apart from the disk: the
// entries a text holds, the text a set of entries makes, and looking up and
// setting one key. Pure steps, callable from any thread.
#pragma once

#include <string>
#include <vector>

struct PlayerFileEntry {
  std::string key;
  std::string value;
};

// The entries of a text, in file order; a key given twice keeps its last
// value (in the place it first had). Blank lines, comments ('#' or ';') and
// [section] lines are passed over. A line that is not "key = value" (no key
// before an '=', or a control character other than a tab) is left out, and
// the first such line is described in *problem (left as it was when every
// line is understood).
std::vector<PlayerFileEntry> ParsePlayerFileText(const std::string& text, std::string* problem);
// The text of the entries after a comment line (header, may be empty). Keys
// and values are written as they are: ones that ParsePlayerFileText could not
// give (a key with '=' or a line break, a value with a line break or with
// blanks at either end) do not read back the same.
std::string FormatPlayerFileText(const std::string& header, const std::vector<PlayerFileEntry>& entries);

// The value of key, or nullptr.
const std::string* FindPlayerFileValue(const std::vector<PlayerFileEntry>& entries, const std::string& key);
// Sets key (added at the end when new).
void PutPlayerFileValue(std::vector<PlayerFileEntry>* entries, const std::string& key, const std::string& value);
