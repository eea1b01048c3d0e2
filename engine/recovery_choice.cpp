// SPDX-License-Identifier: GPL-3.0-or-later
#include "recovery_choice.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "replace_file.h"

namespace orlenta {
namespace {

constexpr const char* kKey = "recovery=";
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

bool IsChoiceLine(const std::string& line) {
  return line.rfind(kKey, 0) == 0;
}

}  // namespace

std::string OptionsPathBeside(const std::string& settingsPath) {
  const std::size_t slash = settingsPath.rfind('/');
  return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) +
         "options";
}

const char* RecoveryChoiceWord(RecoveryChoice choice) {
  return choice == RecoveryChoice::kExactAndMoreKinds ? "exact" : "described";
}

RecoveryChoice LoadRecoveryChoice(const std::string& path) {
  RecoveryChoice choice = RecoveryChoice::kAsDescribed;
  for (const std::string& line : ReadLines(path)) {
    if (!IsChoiceLine(line)) continue;
    const std::string value = line.substr(std::string(kKey).size());
    choice = value == RecoveryChoiceWord(RecoveryChoice::kExactAndMoreKinds)
                 ? RecoveryChoice::kExactAndMoreKinds
                 : RecoveryChoice::kAsDescribed;
  }
  return choice;
}

bool SaveRecoveryChoice(const std::string& path, RecoveryChoice choice) {
  std::ostringstream text;
  bool written = false;
  for (const std::string& line : ReadLines(path)) {
    if (IsChoiceLine(line)) {
      if (written) continue;
      text << kKey << RecoveryChoiceWord(choice) << '\n';
      written = true;
    } else {
      text << line << '\n';
    }
  }
  if (!written) text << kKey << RecoveryChoiceWord(choice) << '\n';
  const std::string bytes = text.str();
  return ReplaceFileContents(path, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

}  // namespace orlenta
