// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace orlenta {
namespace {

// `text` without its trailing carriage returns, so that a file saved with CRLF line ends
// (once or, converted twice, CR CR LF) still names the right paths.
std::string_view WithoutCarriageReturns(std::string_view text) {
  while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

void ParseLine(std::string_view line, std::map<char, std::string>& drives) {
  line = WithoutLeadingBlanks(WithoutCarriageReturns(line));
  if (line.size() < 3 || line[0] == '#' || line[1] != '=') return;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
  if (!IsDriveLetter(letter)) return;
  drives[letter] = std::string(line.substr(2));
}

// The whole content of the plain file open as `fd`; nullopt when a read fails.
std::optional<std::string> ReadWhole(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return text;
    text.append(chunk, static_cast<std::size_t>(got));
  }
}

}  // namespace

bool IsDriveLetter(char letter) {
  return letter >= kFirstDriveLetter && letter <= kLastDriveLetter;
}

std::map<char, std::string> ParseDriveMap(std::string_view text) {
  std::map<char, std::string> drives;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    ParseLine(text.substr(0, end), drives);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return drives;
}

std::string FormatDriveMap(const std::map<char, std::string>& drives) {
  std::string text;
  for (const auto& [letter, path] : drives) {
    // A path with a line break, or ending in what reads as one, could not be read back as
    // the same path; such a drive is left out.
    if (!IsDriveLetter(letter) || path.empty() || path.find('\n') != std::string::npos ||
        path.back() == '\r') {
      continue;
    }
    text += letter;
    text += '=';
    text += path;
    text += '\n';
  }
  return text;
}

std::optional<std::map<char, std::string>> LoadDriveMapFile(const std::string& path) {
  // Opened without waiting and read only when it is a plain file: a FIFO in its place would
  // otherwise hold the open until some other program wrote to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::map<char, std::string>{};
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> text;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) text = ReadWhole(fd);
  ::close(fd);
  if (!text) return std::nullopt;
  return ParseDriveMap(*text);
}

}  // namespace orlenta
