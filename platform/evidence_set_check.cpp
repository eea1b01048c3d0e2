// SPDX-License-Identifier: GPL-3.0-or-later
#include "evidence_set_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "read_fully.h"

namespace orlenta {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
constexpr uint64_t kFileHeaderBytes = 13;
constexpr uint64_t kSectionHeaderBytes = 76;
// Far more sections than any acquisition tool writes into one segment: a chain longer than
// this loops or is garbage.
constexpr int kMostSections = 1 << 20;

uint64_t Little(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// How a segment's chain of sections ends.
enum class Ending { kNext, kDone, kBroken, kWrongNumber, kOtherFormat };

// Follows the sections of the segment open as `fd` (of `size` bytes), which must be segment
// `number` of its set, to the section that ends it.
Ending FollowSections(int fd, uint64_t size, unsigned number) {
  std::array<uint8_t, kFileHeaderBytes> head{};
  if (ReadFully(fd, 0, head) != head.size()) return Ending::kBroken;
  if (!std::equal(kSignature.begin(), kSignature.end(), head.begin())) return Ending::kOtherFormat;
  if (Little(&head[9], 2) != number) return Ending::kWrongNumber;
  uint64_t at = kFileHeaderBytes;
  for (int i = 0; i < kMostSections; ++i) {
    std::array<uint8_t, kSectionHeaderBytes> section{};
    if (at > size || size - at < section.size()) return Ending::kBroken;
    if (ReadFully(fd, at, section) != section.size()) return Ending::kBroken;
    const std::string type(reinterpret_cast<const char*>(section.data()),
                           strnlen(reinterpret_cast<const char*>(section.data()), 16));
    if (type == "next") return Ending::kNext;
    if (type == "done") return Ending::kDone;
    const uint64_t next = Little(&section[16], 8);
    const uint64_t length = Little(&section[24], 8);
    if (next <= at || next > size || length > size - at) return Ending::kBroken;
    at = next;
  }
  return Ending::kBroken;
}

// The name of the segment after `name`: .E01 is followed by .E02 and so on to .E99, then
// .EAA; "" when it cannot be told.
std::string NextSegmentName(const std::string& name) {
  if (name.size() < 4 || name[name.size() - 4] != '.') return "";
  std::string next = name;
  char& tens = next[next.size() - 2];
  char& units = next[next.size() - 1];
  if (!std::isdigit(static_cast<unsigned char>(tens)) ||
      !std::isdigit(static_cast<unsigned char>(units))) {
    return "";
  }
  if (tens == '9' && units == '9') {
    const bool lower = std::islower(static_cast<unsigned char>(next[next.size() - 3]));
    tens = units = lower ? 'a' : 'A';
  } else if (units == '9') {
    ++tens;
    units = '0';
  } else {
    ++units;
  }
  return next;
}

// A file beside `path` whose name differs from it in letter case only; "" when none.
std::string SameNameInOtherCase(const std::string& path) {
  const std::filesystem::path wanted(path);
  const std::string name = wanted.filename().string();
  std::error_code error;
  const std::filesystem::path folder = wanted.has_parent_path() ? wanted.parent_path() : ".";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string other = entry.path().filename().string();
    if (other != name && other.size() == name.size() &&
        strncasecmp(other.c_str(), name.c_str(), name.size()) == 0) {
      return other;
    }
  }
  return "";
}

std::string Missing(const std::string& after) {
  const std::string next = NextSegmentName(after);
  if (next.empty()) return "segment following " + after + " is missing";
  std::string problem = "segment " + next + " is missing";
  if (const std::string other = SameNameInOtherCase(next); !other.empty()) {
    problem += " (" + other + " differs from that name in letter case)";
  }
  return problem;
}

}  // namespace

std::string EvidenceSetProblem(const std::vector<std::string>& segments) {
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const std::string& name = segments[i];
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      return "segment " + name + " is not a regular file";
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return "segment " + name + " cannot be opened (" + std::strerror(errno) + ")";
    const Ending ending =
        FollowSections(fd, static_cast<uint64_t>(info.st_size), static_cast<unsigned>(i + 1));
    ::close(fd);
    const bool last = i + 1 == segments.size();
    if (ending == Ending::kOtherFormat) continue;
    if (ending == Ending::kBroken) return "segment " + name + " is damaged or cut short";
    if (ending == Ending::kWrongNumber) {
      return "segment " + name + " is not segment " + std::to_string(i + 1) + " of a set";
    }
    if (ending == Ending::kDone && !last) {
      return "segment " + name + " ends the set, yet more segments follow it";
    }
    if (ending == Ending::kNext && last) return Missing(name);
  }
  return "";
}

}  // namespace orlenta
