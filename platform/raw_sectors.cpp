// SPDX-License-Identifier: GPL-3.0-or-later
#include "raw_sectors.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace orlenta {
namespace {

constexpr uint64_t kSamplesAtStart = 32;
constexpr uint64_t kSamplesSpread = 32;
constexpr uint8_t kForm2Bit = 0x20;  // in the subheader's submode byte
// How far into an image the second sync pattern is looked for, to tell raw sectors of a
// size we do not read from a sync pattern that is there by chance.
constexpr uint32_t kSecondSyncWithin = 3 * kSubchannelSectorBytes;

// The subheader's word on the form, when its two copies agree; damaged ones say nothing.
std::optional<bool> SubheaderSaysForm2(std::span<const uint8_t> subheader) {
  if (!std::equal(subheader.begin(), subheader.begin() + 4, subheader.begin() + 4)) {
    return std::nullopt;
  }
  return (subheader[2] & kForm2Bit) != 0;
}

std::optional<uint64_t> FromBcd(uint8_t byte) {
  const unsigned high = byte >> 4, low = byte & 0x0F;
  if (high > 9 || low > 9) return std::nullopt;
  return high * 10 + low;
}

// The address in a sector's header (minutes, seconds and frames), in frames.
std::optional<uint64_t> HeaderAddress(std::span<const uint8_t> head) {
  const auto minutes = FromBcd(head[12]), seconds = FromBcd(head[13]), frames = FromBcd(head[14]);
  if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= 75) return std::nullopt;
  return (*minutes * 60 + *seconds) * 75 + *frames;
}

// How many of the first sectors, taken every `stride` bytes, carry the sync pattern and an
// address one more than the sector before's; and how many could be looked at.
struct StartCount {
  uint64_t agreeing = 0;
  uint64_t seen = 0;
};

StartCount CountConsecutive(const ImageReader& read, uint64_t fileBytes, uint32_t stride) {
  StartCount count;
  std::map<int64_t, uint64_t> firstAddresses;  // what each sector says the first one is
  std::array<uint8_t, kHeaderBytes> head{};
  for (uint64_t s = 0; s < std::min(fileBytes / stride, kSamplesAtStart); ++s) {
    if (!read(s * stride, head)) continue;
    ++count.seen;
    const auto address = HeaderAddress(head);
    if (!HasSyncPattern(head) || !address) continue;
    const uint64_t agreeing = ++firstAddresses[static_cast<int64_t>(*address - s)];
    count.agreeing = std::max(count.agreeing, agreeing);
  }
  return count;
}

bool MostlyConsecutive(const StartCount& count) {
  return count.agreeing > 0 && 2 * count.agreeing >= count.seen;
}

// Where the sync pattern appears again after the image's first byte, near the start.
std::optional<uint32_t> SecondSync(const ImageReader& read, uint64_t fileBytes) {
  std::vector<uint8_t> start(
      static_cast<std::size_t>(std::min<uint64_t>(fileBytes, kSecondSyncWithin)));
  if (start.size() < 2 * kSyncBytes || !read(0, start) || !HasSyncPattern(start)) {
    return std::nullopt;
  }
  for (std::size_t at = kSyncBytes; at + kSyncBytes <= start.size(); ++at) {
    if (HasSyncPattern(std::span<const uint8_t>(start).subspan(at))) {
      return static_cast<uint32_t>(at);
    }
  }
  return std::nullopt;
}

// Sectors of `stride` bytes with sync and header: Mode 1, or Mode 2 when most sampled
// sectors say so.
SectorLayout FrameRawImage(const ImageReader& read, uint64_t fileBytes, uint32_t stride) {
  SectorLayout layout;
  layout.sectorCount = fileBytes / stride;
  uint64_t mode1 = 0, mode2 = 0;
  std::array<uint8_t, kHeaderBytes> head{};
  for (const uint64_t sector : SampleSectors(layout.sectorCount)) {
    if (!read(sector * stride, head) || !HasSyncPattern(head)) continue;
    mode1 += head[15] == 1;  // mode 0 marks an empty sector: no say in the framing
    mode2 += head[15] == 2;
  }
  if (mode2 > mode1) {
    SetMode2Framing(layout, read, stride, kHeaderBytes);
  } else {
    SetFraming(layout, RawMode::kMode1, stride, kHeaderBytes);
  }
  return layout;
}

// The stride whose sampled sectors most often carry the sync pattern; none when none do.
std::optional<uint32_t> LikeliestStride(const ImageReader& read, uint64_t fileBytes) {
  std::optional<uint32_t> best;
  uint64_t bestSynced = 0;
  std::array<uint8_t, kSyncBytes> sync{};
  for (const uint32_t stride : {kRawSectorBytes, kSubchannelSectorBytes}) {
    uint64_t synced = 0;
    for (const uint64_t sector : SampleSectors(fileBytes / stride)) {
      synced += read(sector * stride, sync) && HasSyncPattern(sync);
    }
    if (synced > bestSynced) best = stride, bestSynced = synced;
  }
  return best;
}

}  // namespace

bool HasSyncPattern(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint8_t, kSyncBytes> kSync = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  return bytes.size() >= kSync.size() && std::equal(kSync.begin(), kSync.end(), bytes.begin());
}

std::vector<uint64_t> SampleSectors(uint64_t count) {
  std::vector<uint64_t> sectors;
  for (uint64_t s = 0; s < std::min(count, kSamplesAtStart); ++s) sectors.push_back(s);
  if (count > kSamplesAtStart) {
    for (uint64_t i = 0; i < kSamplesSpread; ++i) {
      sectors.push_back(kSamplesAtStart + (count - kSamplesAtStart) * i / kSamplesSpread);
    }
  }
  return sectors;
}

RawImage JudgeRawImage(const ImageReader& read, uint64_t fileBytes, bool forceRaw) {
  RawImage image;
  uint64_t bestAgreeing = 0;
  for (const uint32_t stride : {kRawSectorBytes, kSubchannelSectorBytes}) {
    const StartCount count = CountConsecutive(read, fileBytes, stride);
    if (MostlyConsecutive(count) && count.agreeing > bestAgreeing) {
      bestAgreeing = count.agreeing;
      image = {RawVerdict::kRaw, FrameRawImage(read, fileBytes, stride)};
    }
  }
  if (image.verdict == RawVerdict::kRaw) return image;
  if (forceRaw) {
    const std::optional<uint32_t> stride = LikeliestStride(read, fileBytes);
    image = {RawVerdict::kRaw, FrameRawImage(read, fileBytes, stride.value_or(kRawSectorBytes))};
    image.layout.forcedWithoutSync = !stride;
    return image;
  }
  // Sync patterns that count up at another distance: raw sectors of a size we do not read.
  if (const auto stride = SecondSync(read, fileBytes);
      stride && MostlyConsecutive(CountConsecutive(read, fileBytes, *stride))) {
    image.verdict = RawVerdict::kUnknownFraming;
    image.layout.stride = *stride;
  }
  return image;
}

void SetMode2Framing(SectorLayout& layout, const ImageReader& read, uint32_t stride,
                     uint32_t modeBytesAt) {
  uint64_t form1 = 0, form2 = 0;
  std::array<uint8_t, kSubheaderBytes> subheader{};
  for (const uint64_t sector : SampleSectors(layout.sectorCount)) {
    if (!read(layout.firstByte + sector * stride + modeBytesAt, subheader)) continue;
    if (const auto isForm2 = SubheaderSaysForm2(subheader)) ++(*isForm2 ? form2 : form1);
  }
  SetFraming(layout, RawMode::kMode2, stride, modeBytesAt);
  layout.mostlyForm2 = form2 > form1;
}

void SetFraming(SectorLayout& layout, RawMode mode, uint32_t stride, uint32_t modeBytesAt) {
  layout.rawMode = mode;
  layout.stride = stride;
  layout.dataOffset = mode == RawMode::kMode1 ? modeBytesAt : modeBytesAt + kSubheaderBytes;
  const bool form2Sized = mode == RawMode::kMode2Form2 || mode == RawMode::kMode2;
  layout.sectorSize = form2Sized ? kForm2Bytes : kForm1Bytes;
}

uint32_t FramingHeadBytes(const SectorLayout& layout) {
  return layout.rawMode == RawMode::kMode2 ? layout.dataOffset : 0;
}

SectorFraming DefaultFraming(const SectorLayout& layout) {
  if (layout.rawMode != RawMode::kMode2) return {layout.dataOffset, layout.sectorSize};
  return {layout.dataOffset, layout.mostlyForm2 ? kForm2Bytes : kForm1Bytes};
}

std::optional<SectorFraming> OwnFraming(const SectorLayout& layout, std::span<const uint8_t> head) {
  if (layout.rawMode != RawMode::kMode2) return DefaultFraming(layout);
  const uint32_t subheaderAt = layout.dataOffset - kSubheaderBytes;
  if (subheaderAt >= kHeaderBytes && HasSyncPattern(head)) {
    // A Mode 1 sector among Mode 2 ones, as where a disc's tracks meet.
    if (head[15] == 1) return SectorFraming{kHeaderBytes, kForm1Bytes};
    if (head[15] != 2) return std::nullopt;
  }
  const auto form2 = SubheaderSaysForm2(head.subspan(subheaderAt, kSubheaderBytes));
  if (!form2) return std::nullopt;
  return SectorFraming{layout.dataOffset, *form2 ? kForm2Bytes : kForm1Bytes};
}

}  // namespace orlenta
