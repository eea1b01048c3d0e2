// SPDX-License-Identifier: GPL-3.0-or-later
#include "options_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "replace_file.h"

namespace orlenta {
namespace {

// The options file is read whole; one far larger than any we write is not ours.
constexpr std::size_t kMaxOptionsBytes = 64 * 1024;

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  // Only a plain file is read: a FIFO put in its place would hold the open until some other
  // program wrote to it, and a device could be anything.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return lines;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  std::size_t total = 0;
  while (file && std::getline(file, line)) {
    total += line.size() + 1;
    if (total > kMaxOptionsBytes) return {};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsLineOf(const std::string& line, const std::string& key) {
  return line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
         line[key.size()] == '=';
}

}  // namespace

std::optional<std::string> LoadOption(const std::string& path, const std::string& key) {
  std::optional<std::string> value;
  for (const std::string& line : ReadLines(path)) {
    if (IsLineOf(line, key)) value = line.substr(key.size() + 1);
  }
  return value;
}

bool SaveOption(const std::string& path, const std::string& key, const std::string& value) {
  std::ostringstream text;
  bool written = false;
  for (const std::string& line : ReadLines(path)) {
    if (IsLineOf(line, key)) {
      if (written) continue;
      text << key << '=' << value << '\n';
      written = true;
    } else {
      text << line << '\n';
    }
  }
  if (!written) text << key << '=' << value << '\n';
  const std::string bytes = text.str();
  return ReplaceFileContents(path, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

bool AudioTracksWanted(const std::string& path) {
  return LoadOption(path, "audio") != "off";
}

bool AudioErrorCorrectionWanted(const std::string& path) {
  return LoadOption(path, "paranoia") != "off";
}

bool FilesSortedByKind(const std::string& path) {
  return LoadOption(path, "by-kind") == "on";
}

std::optional<int> DriveSpeedWanted(const std::string& path) {
  const std::optional<std::string> stored = LoadOption(path, "speed");
  const int speed = stored ? std::atoi(stored->c_str()) : 0;
  return speed >= 1 && speed <= 255 ? std::optional(speed) : std::nullopt;
}

}  // namespace orlenta
