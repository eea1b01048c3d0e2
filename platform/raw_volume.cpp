// SPDX-License-Identifier: GPL-3.0-or-later
#include "raw_volume.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "raw_sectors.h"
#include "read_fully.h"

namespace orlenta {
namespace {

// Framed sectors in a file, which it closes.
class FileSource final : public FramedSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { ::close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::size_t Read(uint64_t offset, std::span<uint8_t> into) override {
    return ReadFully(fd_, offset, into);
  }
  bool EndsBefore(uint64_t end, int readErrno) override {
    return MediumEndsBefore(fd_, end, readErrno);
  }

 private:
  int fd_;
};

class RawVolume final : public Volume {
 public:
  RawVolume(std::unique_ptr<FramedSource> source, const SectorLayout& layout)
      : source_(std::move(source)), layout_(layout) {}
  RawVolume(const RawVolume&) = delete;
  RawVolume& operator=(const RawVolume&) = delete;

  uint32_t SectorSize() const override { return layout_.sectorSize; }
  uint64_t SectorCount() const override { return layout_.sectorCount; }

  uint32_t SectorDataBytes(uint64_t sector) override {
    if (sector >= framingsFirst_ && sector - framingsFirst_ < framings_.size()) {
      return framings_[sector - framingsFirst_].dataBytes;
    }
    return FramingAt(sector).dataBytes;
  }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const uint64_t total = layout_.sectorCount * layout_.sectorSize;
    if (into.empty()) return 0;
    if (offset >= total) return -1;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<uint64_t>(into.size(), total - offset));
    framingsFirst_ = lookedFrom_ = offset / layout_.sectorSize;
    framings_.clear();
    lastOwn_.reset();
    std::size_t done = 0;
    errno = 0;
    while (done < wanted) {
      const uint64_t at = offset + done;
      const std::size_t asked = std::min<std::size_t>(
          wanted - done, kBatchSectors * layout_.sectorSize - at % layout_.sectorSize);
      const std::size_t got = ReadBatch(at, into.subspan(done, wanted - done));
      done += got;
      // The file ended or a read failed part-way: asking on would only fail again (on a
      // scratched disc, a failing read of the drive more).
      if (got < asked) break;
    }
    if (done > 0) return static_cast<int64_t>(done);
    const uint64_t needed = layout_.ImageOffset(offset / layout_.sectorSize) + layout_.sectorSize;
    return source_->EndsBefore(needed, errno) ? kMediumGone : -1;
  }

 private:
  // Enough sectors per system call to keep the reads large, few enough to bound the memory.
  static constexpr uint64_t kBatchSectors = 512;
  // How far back a sector whose own head cannot tell its form looks for one that can: the
  // sectors of one file share a form.
  static constexpr uint64_t kLookBack = 16;

  // Reads up to kBatchSectors sectors from volume byte `offset` into `into`: each sector's
  // data, then zeros up to the volume's sector size. Returns the bytes placed, fewer when
  // the file ends or a read fails part-way.
  std::size_t ReadBatch(uint64_t offset, std::span<uint8_t> into) {
    const uint32_t size = layout_.sectorSize;
    const uint64_t first = offset / size;
    const uint64_t skip = offset % size;
    const uint64_t sectors = std::min(kBatchSectors, (skip + into.size() + size - 1) / size);
    // The framed sectors whole, from the first one's start: one read.
    raw_.resize(sectors * layout_.stride);
    const std::size_t got = source_->Read(FramedOffset(first), raw_);
    std::size_t placed = 0;
    for (uint64_t i = 0; i < sectors && placed < into.size(); ++i) {
      const std::span<const uint8_t> framed(raw_.data() + i * layout_.stride, layout_.stride);
      const std::size_t headEnd = i * layout_.stride + FramingHeadBytes(layout_);
      if (got < headEnd) break;
      const SectorFraming framing = Decide(framed, first + i);
      if (got < i * layout_.stride + framing.dataAt + framing.dataBytes) break;
      framings_.push_back(framing);
      const std::size_t from = i == 0 ? skip : 0;
      const std::size_t length = std::min<std::size_t>(size - from, into.size() - placed);
      PlaceSector(framed, framing, from, into.subspan(placed, length));
      placed += length;
    }
    return placed;
  }

  // The sector as the volume hands it out: its data, then zeros; `from` bytes into it.
  static void PlaceSector(std::span<const uint8_t> framed, SectorFraming framing, std::size_t from,
                          std::span<uint8_t> into) {
    const std::size_t data = from < framing.dataBytes ? framing.dataBytes - from : 0;
    const std::size_t copied = std::min(data, into.size());
    std::memcpy(into.data(), framed.data() + framing.dataAt + from, copied);
    std::fill(into.begin() + static_cast<std::ptrdiff_t>(copied), into.end(), uint8_t{0});
  }

  // A sector whose own head tells its framing.
  struct OwnFramed {
    uint64_t sector = 0;
    SectorFraming framing;
  };

  // The framing of `sector`, whose framed bytes are `framed`, decided as FramingAt does but
  // from the sectors this read has already looked at when they are enough: however reads
  // cut the volume, a sector always gets the same framing.
  SectorFraming Decide(std::span<const uint8_t> framed, uint64_t sector) {
    if (const auto own = OwnFraming(layout_, framed)) {
      lastOwn_ = OwnFramed{sector, *own};
      return *own;
    }
    const uint64_t lookBackFrom = sector - std::min(sector, kLookBack);
    if (lastOwn_ && lastOwn_->sector >= lookBackFrom) return lastOwn_->framing;
    if (lookedFrom_ > lookBackFrom) {
      lastOwn_ = OwnFramingBefore(sector);
      lookedFrom_ = lookBackFrom;
    }
    return lastOwn_ && lastOwn_->sector >= lookBackFrom ? lastOwn_->framing
                                                        : DefaultFraming(layout_);
  }

  // The framing of `sector`, reading heads from the file: its own, else that of the nearest
  // sector at most kLookBack before it that tells its own, else the image's.
  SectorFraming FramingAt(uint64_t sector) {
    if (const auto own = ReadOwnFraming(sector)) return *own;
    const auto before = OwnFramingBefore(sector);
    return before ? before->framing : DefaultFraming(layout_);
  }

  std::optional<OwnFramed> OwnFramingBefore(uint64_t sector) {
    for (uint64_t back = 1; back <= std::min(sector, kLookBack); ++back) {
      if (const auto own = ReadOwnFraming(sector - back)) return OwnFramed{sector - back, *own};
    }
    return std::nullopt;
  }

  std::optional<SectorFraming> ReadOwnFraming(uint64_t sector) {
    std::vector<uint8_t> head(FramingHeadBytes(layout_));
    if (source_->Read(FramedOffset(sector), head) != head.size()) return std::nullopt;
    return OwnFraming(layout_, head);
  }

  uint64_t FramedOffset(uint64_t sector) const {
    return layout_.firstByte + sector * layout_.stride;
  }

  std::unique_ptr<FramedSource> source_;
  SectorLayout layout_;
  std::vector<uint8_t> raw_;
  // The framings of the sectors the last ReadAt placed, from sector framingsFirst_.
  uint64_t framingsFirst_ = 0;
  std::vector<SectorFraming> framings_;
  // The sectors from lookedFrom_ up to the one being placed have had their heads looked at,
  // in order, by the current ReadAt; lastOwn_ is the last of them that tells its own framing.
  uint64_t lookedFrom_ = 0;
  std::optional<OwnFramed> lastOwn_;
};

}  // namespace

std::unique_ptr<Volume> MakeRawVolume(int fd, const SectorLayout& layout) {
  return std::make_unique<RawVolume>(std::make_unique<FileSource>(fd), layout);
}

std::unique_ptr<Volume> MakeRawVolume(std::unique_ptr<FramedSource> source,
                                      const SectorLayout& layout) {
  return std::make_unique<RawVolume>(std::move(source), layout);
}

}  // namespace orlenta
