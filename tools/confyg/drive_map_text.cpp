// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map_text.h"

#include <cctype>
#include <optional>

#include "platform/drive_map_file.h"

namespace orlenta {
namespace {

constexpr std::string_view kNewFileHeader =
    "# Orlenta's drives: one LETTER=PATH line each, letters B to M, the path of a disc\n"
    "# image or of a block device such as /dev/sr0.\n";

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The drive letter a line sets, read as the drive map is read; nullopt for any other line.
std::optional<char> LetterOf(const std::string& line) {
  const std::map<char, std::string> drives = ParseDriveMap(line);
  if (drives.empty()) return std::nullopt;
  return drives.begin()->first;
}

// The index of the last line that sets `letter`; nullopt when none does.
std::optional<std::size_t> LastLineOf(const std::vector<std::string>& lines, char letter) {
  std::optional<std::size_t> last;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (LetterOf(lines[i]) == letter) last = i;
  }
  return last;
}

// The line that sets `letter` to `path`, as FormatDriveMap writes it; "" when the path could
// not be read back as one line.
std::string LineFor(char letter, const std::string& path) {
  std::string line = FormatDriveMap({{letter, path}});
  if (!line.empty()) line.pop_back();
  return line;
}

void Apply(std::vector<std::string>& lines, char letter, const std::string& path) {
  const std::optional<std::size_t> last = LastLineOf(lines, letter);
  const std::string line = path.empty() ? "" : LineFor(letter, path);
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == last && !line.empty()) {
      kept.push_back(line);
    } else if (LetterOf(lines[i]) != letter) {
      kept.push_back(std::move(lines[i]));
    }
  }
  if (!last && !line.empty()) kept.push_back(line);
  lines = std::move(kept);
}

}  // namespace

DriveChanges DriveChangesBetween(const std::map<char, std::string>& before,
                                 const std::map<char, std::string>& after) {
  std::map<char, std::string> changed;
  for (const auto& [letter, path] : before) {
    if (!after.contains(letter)) changed[letter] = "";
  }
  for (const auto& [letter, path] : after) {
    const auto old = before.find(letter);
    if (old == before.end() || old->second != path) changed[letter] = path;
  }
  return {changed.begin(), changed.end()};
}

std::string EditDriveMapText(std::string_view text, const DriveChanges& changes) {
  std::vector<std::string> lines = SplitLines(text.empty() ? kNewFileHeader : text);
  for (const auto& [letter, path] : changes) Apply(lines, letter, path);
  std::string edited;
  for (const std::string& line : lines) edited += line + '\n';
  return edited;
}

}  // namespace orlenta
