// SPDX-License-Identifier: GPL-3.0-or-later
#include "raw_sectors.h"

#include <algorithm>
#include <array>

namespace orlenta {
namespace {

constexpr uint64_t kSamplesAtStart = 32;
constexpr uint64_t kSamplesSpread = 32;
constexpr uint8_t kForm2Bit = 0x20;  // in the subheader's submode byte

// One vote per readable subheader whose two copies agree; damaged ones abstain.
std::optional<bool> SubheaderSaysForm2(std::span<const uint8_t> subheader) {
  if (!std::equal(subheader.begin(), subheader.begin() + 4, subheader.begin() + 4)) {
    return std::nullopt;
  }
  return (subheader[2] & kForm2Bit) != 0;
}

struct Votes {
  uint64_t startSeen = 0, startSync = 0, spreadSeen = 0, spreadSync = 0;
  uint64_t mode1 = 0, mode2 = 0, form1 = 0, form2 = 0;
};

void Vote(Votes& votes, std::span<const uint8_t> head, bool atStart) {
  const bool sync = HasSyncPattern(head);
  (atStart ? votes.startSeen : votes.spreadSeen) += 1;
  if (!sync) return;
  (atStart ? votes.startSync : votes.spreadSync) += 1;
  const uint8_t mode = head[15];
  if (mode == 1) ++votes.mode1;
  if (mode != 2) return;  // mode 0 marks an empty sector: no say in the framing
  ++votes.mode2;
  if (const auto form2 = SubheaderSaysForm2(head.subspan(kHeaderBytes, kSubheaderBytes))) {
    ++(*form2 ? votes.form2 : votes.form1);
  }
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

std::optional<SectorLayout> DetectRawImage(const ImageReader& read, uint64_t fileBytes) {
  const uint64_t count = fileBytes / kRawSectorBytes;
  Votes votes;
  std::array<uint8_t, kHeaderBytes + kSubheaderBytes> head{};
  for (const uint64_t sector : SampleSectors(count)) {
    if (!read(sector * kRawSectorBytes, head)) continue;
    Vote(votes, head, sector < kSamplesAtStart);
  }
  // Half of either group is far beyond chance for a plain image, and leaves room for a
  // stretch of damaged sectors in a raw one.
  const bool raw = (votes.startSync > 0 && 2 * votes.startSync >= votes.startSeen) ||
                   (votes.spreadSync > 0 && 2 * votes.spreadSync >= votes.spreadSeen);
  if (!raw) return std::nullopt;
  SectorLayout layout;
  layout.sectorCount = count;
  RawMode mode = RawMode::kMode1;
  if (votes.mode2 > votes.mode1) {
    mode = votes.form2 > votes.form1 ? RawMode::kMode2Form2 : RawMode::kMode2Form1;
  }
  SetFraming(layout, mode, kRawSectorBytes, kHeaderBytes);
  return layout;
}

bool MostlyForm2(const ImageReader& read, uint64_t firstByte, uint32_t stride, uint32_t subheaderAt,
                 uint64_t count) {
  uint64_t form1 = 0, form2 = 0;
  std::array<uint8_t, kSubheaderBytes> subheader{};
  for (const uint64_t sector : SampleSectors(count)) {
    if (!read(firstByte + sector * stride + subheaderAt, subheader)) continue;
    if (const auto isForm2 = SubheaderSaysForm2(subheader)) ++(*isForm2 ? form2 : form1);
  }
  return form2 > form1;
}

void SetFraming(SectorLayout& layout, RawMode mode, uint32_t stride, uint32_t modeBytesAt) {
  layout.rawMode = mode;
  layout.stride = stride;
  layout.dataOffset = mode == RawMode::kMode1 ? modeBytesAt : modeBytesAt + kSubheaderBytes;
  layout.sectorSize = mode == RawMode::kMode2Form2 ? 2324 : 2048;
}

}  // namespace orlenta
