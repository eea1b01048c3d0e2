// SPDX-License-Identifier: GPL-3.0-or-later
#include "toy_formats.h"

#include <cstring>

namespace orlenta {

std::vector<uint8_t> MakeToyFile(uint32_t length, uint8_t fill) {
  std::vector<uint8_t> bytes(length, fill);
  std::memcpy(bytes.data(), "TOYF", 4);
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  std::memcpy(bytes.data() + length - 4, "!END", 4);
  return bytes;
}

FinderStep ToyFinder::Next(uint64_t at, std::span<const uint8_t> bytes) {
  if (at == 0) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), "TOYF", 4) != 0) return FinderStep::Broken();
    for (int i = 0; i < 4; ++i) length_ |= uint64_t{bytes[4 + i]} << (8 * i);
    if (length_ < 12) return FinderStep::Broken();
    return FinderStep::Need(length_ - 4, 4);
  }
  if (at == length_) return FinderStep::End(length_);  // what follows, or the volume's end
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "?END", 4) == 0) {
    return FinderStep::LikelyEnd(length_);
  }
  if (bytes.size() < 4 || std::memcmp(bytes.data(), "!END", 4) != 0) return FinderStep::Broken();
  return lookPastEnd_ ? FinderStep::Need(length_, 4) : FinderStep::End(length_);
}

FileKind ToyRules::Detect(const uint8_t* sector, std::size_t) const {
  if (std::memcmp(sector, "TOYF", 4) == 0) return kToyKind;
  return DetectFileKindIn(sector);
}

std::unique_ptr<EndFinder> ToyRules::FinderFor(FileKind kind) const {
  if (kind != kToyKind) return nullptr;
  return std::make_unique<ToyFinder>(lookPastEnd);
}

}  // namespace orlenta
