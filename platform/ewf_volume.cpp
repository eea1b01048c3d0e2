// SPDX-License-Identifier: GPL-3.0-or-later
#include "ewf_volume.h"

#include <fcntl.h>
#include <libewf.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "evidence_set_check.h"
#include "read_fully.h"

namespace orlenta {
namespace {

constexpr std::array<uint8_t, 8> kE01Signature = {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
constexpr std::array<uint8_t, 8> kEx01Signature = {'E', 'V', 'F', '2', 0x0D, 0x0A, 0x81, 0x00};

// The message of a libewf error, freed.
std::string TakeMessage(libewf_error_t*& error) {
  if (!error) return "";
  std::array<char, 512> text{};
  libewf_error_sprint(error, text.data(), text.size());
  libewf_error_free(&error);
  std::string message = text.data();
  if (const auto line = message.find('\n'); line != std::string::npos) message.resize(line);
  return message;
}

struct HandleDeleter {
  void operator()(libewf_handle_t* handle) const {
    libewf_handle_close(handle, nullptr);
    libewf_handle_free(&handle, nullptr);
  }
};
using Handle = std::unique_ptr<libewf_handle_t, HandleDeleter>;

// Segment numbers count from 1 in the 16-bit field after an E01 signature.
std::optional<unsigned> E01SegmentNumber(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::array<uint8_t, 11> start{};
  const bool read = ReadFully(fd, 0, start) == start.size();
  ::close(fd);
  if (!read || !std::equal(kE01Signature.begin(), kE01Signature.end(), start.begin())) {
    return std::nullopt;
  }
  return start[9] | start[10] << 8;
}

// Every segment of the set whose first file is `path`, opened for reading.
Handle OpenSet(const std::string& path, VolumeOpenError* error) {
  auto fail = [&](std::string reason) {
    if (error) *error = {0, std::move(reason)};
    return Handle();
  };
  if (const auto segment = E01SegmentNumber(path); segment && *segment != 1) {
    return fail("is segment " + std::to_string(*segment) +
                " of an evidence set; give its first file (.E01)");
  }
  libewf_error_t* ewfError = nullptr;
  char** names = nullptr;
  int count = 0;
  if (libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &ewfError) !=
      1) {
    return fail("is an evidence file whose segments cannot be found (" + TakeMessage(ewfError) +
                ")");
  }
  // Checked before the library opens a segment: it would block on a FIFO, and it reads a
  // set with a segment missing or cut short as if the missing data were zeros.
  const std::string problem = EvidenceSetProblem(std::vector<std::string>(names, names + count));
  if (!problem.empty()) {
    libewf_glob_free(names, count, nullptr);
    return fail("is an evidence set whose " + problem);
  }
  libewf_handle_t* raw = nullptr;
  if (libewf_handle_initialize(&raw, &ewfError) != 1) {
    libewf_glob_free(names, count, nullptr);
    return fail("cannot be read as an evidence file (" + TakeMessage(ewfError) + ")");
  }
  const int opened = libewf_handle_open(raw, names, count, LIBEWF_OPEN_READ, &ewfError);
  libewf_glob_free(names, count, nullptr);
  if (opened != 1) {
    libewf_handle_free(&raw, nullptr);
    return fail("is an evidence set that cannot be opened (" + TakeMessage(ewfError) + ")");
  }
  Handle handle(raw);
  if (libewf_handle_segment_files_corrupted(raw, nullptr) == 1) {
    return fail("is an evidence set whose segments are damaged or incomplete");
  }
  libewf_handle_set_read_zero_chunk_on_error(raw, 1, nullptr);
  return handle;
}

std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

std::vector<StoredHash> StoredHashes(libewf_handle_t* handle) {
  std::vector<StoredHash> hashes;
  std::array<uint8_t, 16> md5{};
  if (libewf_handle_get_md5_hash(handle, md5.data(), md5.size(), nullptr) == 1) {
    hashes.push_back({"md5", Hex(md5)});
  }
  std::array<uint8_t, 20> sha1{};
  if (libewf_handle_get_sha1_hash(handle, sha1.data(), sha1.size(), nullptr) == 1) {
    hashes.push_back({"sha1", Hex(sha1)});
  }
  return hashes;
}

std::optional<SectorLayout> LayoutOfSet(libewf_handle_t* handle, const std::string& path,
                                        VolumeOpenError* error) {
  uint32_t sectorSize = 0;
  size64_t mediaBytes = 0;
  if (libewf_handle_get_bytes_per_sector(handle, &sectorSize, nullptr) != 1 || sectorSize == 0 ||
      libewf_handle_get_media_size(handle, &mediaBytes, nullptr) != 1) {
    if (error) *error = {0, "is an evidence set that does not give its medium's size"};
    return std::nullopt;
  }
  SectorLayout layout;
  layout.dataPath = path;
  layout.sectorSize = layout.stride = sectorSize;
  layout.sectorCount = mediaBytes / sectorSize;
  layout.container = Container::kExpertWitness;
  layout.storedHashes = StoredHashes(handle);
  return layout;
}

class ExpertWitnessVolume final : public Volume {
 public:
  ExpertWitnessVolume(Handle handle, const SectorLayout& layout)
      : handle_(std::move(handle)), layout_(layout) {
    uint32_t errors = 0;
    libewf_handle_get_number_of_acquiry_errors(handle_.get(), &errors, nullptr);
    for (uint32_t i = 0; i < errors; ++i) {
      uint64_t first = 0, count = 0;
      if (libewf_handle_get_acquiry_error(handle_.get(), i, &first, &count, nullptr) == 1) {
        MarkBad(first, count);
      }
    }
  }

  uint32_t SectorSize() const override { return layout_.sectorSize; }
  uint64_t SectorCount() const override { return layout_.sectorCount; }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const uint64_t total = layout_.sectorCount * layout_.sectorSize;
    if (into.empty()) return 0;
    if (offset >= total) return -1;
    std::size_t wanted = static_cast<std::size_t>(std::min<uint64_t>(into.size(), total - offset));
    const ssize_t got = libewf_handle_read_random(handle_.get(), into.data(), wanted,
                                                  static_cast<off64_t>(offset), nullptr);
    NoteChecksumErrors();
    std::size_t good = got > 0 ? static_cast<std::size_t>(got) : 0;
    // A read ends before the first sector the set does not vouch for.
    good = std::min(good, BytesBeforeBadSector(offset, wanted));
    return good == 0 ? -1 : static_cast<int64_t>(good);
  }

 private:
  void MarkBad(uint64_t first, uint64_t count) {
    if (count == 0) return;
    uint64_t& end = bad_[first];
    end = std::max(end, first + count);
  }

  // Chunks whose stored checksum fails as they are read join the bad sectors. The library
  // merges a failing chunk into the range of its neighbour, so a range seen before may have
  // grown: every range is looked at again.
  void NoteChecksumErrors() {
    uint32_t errors = 0;
    libewf_handle_get_number_of_checksum_errors(handle_.get(), &errors, nullptr);
    for (uint32_t i = 0; i < errors; ++i) {
      uint64_t first = 0, count = 0;
      if (libewf_handle_get_checksum_error(handle_.get(), i, &first, &count, nullptr) == 1) {
        MarkBad(first, count);
      }
    }
  }

  // How many of the `length` bytes from `offset` come before the first bad sector.
  std::size_t BytesBeforeBadSector(uint64_t offset, std::size_t length) const {
    const uint32_t size = layout_.sectorSize;
    const uint64_t first = offset / size;
    const uint64_t last = (offset + length - 1) / size;
    uint64_t firstBad = last + 1;
    for (const auto& [start, end] : bad_) {
      if (start > last) break;
      if (end > first) firstBad = std::min(firstBad, std::max(start, first));
    }
    if (firstBad > last) return length;
    return static_cast<std::size_t>(firstBad * size > offset ? firstBad * size - offset : 0);
  }

  Handle handle_;
  SectorLayout layout_;
  std::map<uint64_t, uint64_t> bad_;  // first bad sector → one past the last of its stretch
};

}  // namespace

bool IsExpertWitnessFile(int fd) {
  std::array<uint8_t, 8> start{};
  if (ReadFully(fd, 0, start) != start.size()) return false;
  return start == kE01Signature || start == kEx01Signature;
}

std::optional<SectorLayout> ExpertWitnessLayout(const std::string& path, VolumeOpenError* error) {
  const Handle handle = OpenSet(path, error);
  if (!handle) return std::nullopt;
  return LayoutOfSet(handle.get(), path, error);
}

std::unique_ptr<Volume> OpenExpertWitness(const std::string& path, VolumeOpenError* error) {
  Handle handle = OpenSet(path, error);
  if (!handle) return nullptr;
  const auto layout = LayoutOfSet(handle.get(), path, error);
  if (!layout) return nullptr;
  return std::make_unique<ExpertWitnessVolume>(std::move(handle), *layout);
}

}  // namespace orlenta
