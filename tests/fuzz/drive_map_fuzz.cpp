// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a drive map gives only drives B..M with a path that fits on one line, and
// the map written back reads as the same map. The configuration program's edit of that text
// (input: the text, a NUL, a letter byte, the letter's new path or nothing to take it away)
// sets exactly that letter and keeps every line of the others as it was.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "drive_map_text.h"
#include "fuzz_check.h"
#include "platform/drive_map_file.h"

namespace {

using namespace orlenta;

void CheckReading(std::string_view text) {
  const auto drives = ParseDriveMap(text);
  for (const auto& [letter, path] : drives) {
    Require(IsDriveLetter(letter), "only the letters B..M are read");
    Require(!path.empty(), "a drive has a path");
    Require(path.find('\n') == std::string::npos, "a path stays on its line");
  }
  const std::string saved = FormatDriveMap(drives);
  Require(ParseDriveMap(saved) == drives, "the map written back reads as the same map");
  Require(FormatDriveMap(ParseDriveMap(saved)) == saved, "writing is stable");
}

// The lines of `text` that set no drive `letter`, as the edit splits them.
std::vector<std::string> OtherLines(std::string_view text, char letter) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string line(text.substr(0, end));
    if (!ParseDriveMap(line).contains(letter)) lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void CheckEdit(std::string_view text, char letter, const std::string& path) {
  const std::string edited = EditDriveMapText(text, {{letter, path}});
  auto expected = ParseDriveMap(text);
  if (path.empty()) {
    expected.erase(letter);
  } else {
    expected[letter] = path;
  }
  Require(ParseDriveMap(edited) == expected, "the edit sets that letter and no other");
  if (!text.empty()) {
    Require(OtherLines(edited, letter) == OtherLines(text, letter),
            "every other line stays as it was");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view text = input.substr(0, split);
  CheckReading(text);
  if (split == std::string_view::npos || split + 1 >= input.size()) return 0;
  const char letter =
      static_cast<char>(kFirstDriveLetter + static_cast<unsigned char>(input[split + 1]) % 12);
  const std::string path(input.substr(split + 2));
  // The program's own checks refuse a path with a line break before it gets here.
  if (path.find_first_of("\r\n") != std::string::npos) return 0;
  CheckEdit(text, letter, path);
  return 0;
}
