// SPDX-License-Identifier: GPL-3.0-or-later
#include "split_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <vector>

#include "read_fully.h"

namespace orlenta {
namespace {

struct Segment {
  std::string path;
  uint64_t bytes = 0;
};

// The number after the last dot of `path` when it is three digits or more ("007": 7);
// nullopt otherwise.
std::optional<unsigned> SegmentNumber(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::nullopt;
  const std::string digits = name.substr(dot + 1);
  if (digits.size() < 3 || digits.size() > 6 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return static_cast<unsigned>(std::stoul(digits));
}

// `path` with its segment number replaced by `number`, as wide as the first one's.
std::string SegmentPath(const std::string& first, unsigned number) {
  const std::size_t dot = first.rfind('.');
  const std::size_t width = first.size() - dot - 1;
  std::string digits = std::to_string(number);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return first.substr(0, dot + 1) + digits;
}

std::optional<SectorLayout> Refuse(VolumeOpenError* error, int errnum, std::string reason) {
  if (error) *error = {errnum, std::move(reason)};
  return std::nullopt;
}

// The numbers of the segments of the set `first` belongs to that lie in its folder.
std::set<unsigned> NumbersInFolder(const std::string& first) {
  std::set<unsigned> numbers;
  const std::filesystem::path at(first);
  const std::string stem = at.stem().string();
  std::error_code error;
  const std::filesystem::path folder = at.has_parent_path() ? at.parent_path() : ".";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::filesystem::path name = entry.path().filename();
    if (name.stem() != stem) continue;
    if (const auto number = SegmentNumber(name.string())) numbers.insert(*number);
  }
  return numbers;
}

// Every segment of the set whose first is `first`, each a regular file with its size;
// nullopt (error set) when the set is not whole, or is one segment alone (error clear).
std::optional<std::vector<Segment>> FindSegments(const std::string& first, VolumeOpenError* error) {
  if (error) *error = {};
  const std::set<unsigned> numbers = NumbersInFolder(first);
  if (numbers.size() < 2) return std::nullopt;
  std::vector<Segment> segments;
  for (unsigned number = 1; number <= *numbers.rbegin(); ++number) {
    const std::string path = SegmentPath(first, number);
    struct stat info {};
    if (!numbers.contains(number) || ::stat(path.c_str(), &info) != 0) {
      Refuse(error, 0,
             "is split, but its segment " + path + " is missing: the segments after it would " +
                 "be read at the wrong place");
      return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
      Refuse(error, 0, "is split, but its segment " + path + " is not a regular file");
      return std::nullopt;
    }
    segments.push_back({path, static_cast<uint64_t>(info.st_size)});
  }
  for (std::size_t i = 1; i + 1 < segments.size(); ++i) {
    if (segments[i].bytes != segments[0].bytes) {
      Refuse(error, 0,
             "is split, but its segment " + segments[i].path + " holds " +
                 std::to_string(segments[i].bytes) + " bytes where the first holds " +
                 std::to_string(segments[0].bytes) +
                 ": a segment cut short would shift every byte after it");
      return std::nullopt;
    }
  }
  if (segments.back().bytes > segments[0].bytes) {
    Refuse(error, 0,
           "is split, but its last segment " + segments.back().path +
               " is larger than the first: the segments do not belong together");
    return std::nullopt;
  }
  return segments;
}

// The segments read as one run of bytes, as an image file of them all would be read: a read
// stops short where a segment ends early (cut since it was opened), never filled with zeros.
class SplitImageVolume final : public Volume {
 public:
  SplitImageVolume(std::vector<int> fds, std::vector<uint64_t> bytes, uint64_t sectorCount)
      : fds_(std::move(fds)), bytes_(std::move(bytes)), sectorCount_(sectorCount) {}
  ~SplitImageVolume() override {
    for (const int fd : fds_) ::close(fd);
  }
  SplitImageVolume(const SplitImageVolume&) = delete;
  SplitImageVolume& operator=(const SplitImageVolume&) = delete;

  uint32_t SectorSize() const override { return kSectorBytes; }
  uint64_t SectorCount() const override { return sectorCount_; }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    std::size_t done = 0;
    std::size_t segment = 0;
    uint64_t start = 0;  // of `segment` in the whole image
    while (segment < bytes_.size() && offset >= start + bytes_[segment]) {
      start += bytes_[segment++];
    }
    while (done < into.size() && segment < bytes_.size()) {
      const uint64_t inSegment = offset + done - start;
      const std::size_t want = static_cast<std::size_t>(
          std::min<uint64_t>(into.size() - done, bytes_[segment] - inSegment));
      const std::size_t got = ReadFully(fds_[segment], inSegment, into.subspan(done, want));
      done += got;
      if (got < want) break;
      start += bytes_[segment++];
    }
    if (done == 0 && !into.empty()) return -1;
    return static_cast<int64_t>(done);
  }

 private:
  static constexpr uint32_t kSectorBytes = 2048;
  std::vector<int> fds_;
  std::vector<uint64_t> bytes_;
  uint64_t sectorCount_;
};

}  // namespace

bool HasSegmentNumber(const std::string& path) {
  return SegmentNumber(path).has_value();
}

std::optional<SectorLayout> SplitImageLayout(const std::string& path, VolumeOpenError* error) {
  const std::optional<unsigned> number = SegmentNumber(path);
  if (error) *error = {};
  if (!number) return std::nullopt;
  if (*number != 1) {
    if (NumbersInFolder(path).contains(1)) {
      return Refuse(error, 0,
                    "is a later segment of a split image: give its first, " + SegmentPath(path, 1));
    }
    return std::nullopt;
  }
  const auto segments = FindSegments(path, error);
  if (!segments) return std::nullopt;
  uint64_t total = 0;
  for (const Segment& segment : *segments) total += segment.bytes;
  SectorLayout layout;
  layout.dataPath = path;
  layout.container = Container::kSplitRaw;
  layout.sectorCount = total / layout.sectorSize;
  if (const uint64_t tail = total % layout.sectorSize; tail != 0) {
    layout.note = "the segments' size together is not a multiple of 2048 bytes; the last " +
                  std::to_string(tail) + " bytes are ignored";
  }
  for (const Segment& segment : *segments) layout.segments.push_back(segment.path);
  return layout;
}

std::unique_ptr<Volume> OpenSplitImage(const std::string& path, VolumeOpenError* error) {
  const std::optional<SectorLayout> layout = SplitImageLayout(path, error);
  if (!layout) return nullptr;
  std::vector<int> fds;
  std::vector<uint64_t> bytes;
  auto fail = [&fds, error](int errnum, const std::string& reason) {
    for (const int fd : fds) ::close(fd);
    if (error) *error = {errnum, reason};
    return nullptr;
  };
  for (const std::string& segment : layout->segments) {
    const int fd = ::open(segment.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(errno, "cannot open its segment " + segment);
    fds.push_back(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      return fail(0, "its segment " + segment + " is not a regular file");
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    bytes.push_back(static_cast<uint64_t>(info.st_size));
  }
  // Sizes as found at this open: one changed since the layout was judged is judged again.
  for (std::size_t i = 1; i + 1 < bytes.size(); ++i) {
    if (bytes[i] != bytes[0]) return fail(0, "its segment " + layout->segments[i] + " changed");
  }
  return std::make_unique<SplitImageVolume>(std::move(fds), std::move(bytes), layout->sectorCount);
}

}  // namespace orlenta
