// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/carve_rules.h"

namespace orlenta {

// A made-up format with a structure to follow, for testing the exact mode without any real
// format: "TOYF", the file's length as 4 little-endian bytes, anything, then "!END" as its
// last four bytes. Its finder skips the middle, asking only for the header and the trailer.
// A trailer "?END" instead makes the end only likely: the file is cut there, not verified.
inline constexpr FileKind kToyKind = kPng;
std::vector<uint8_t> MakeToyFile(uint32_t length, uint8_t fill = 0x21);

// Follows the toy format. Broken when the trailer is not where the length says. When told
// to look past the end, it asks for the four bytes after the trailer first, as a format
// that may go on in a further part would, and ends the file whatever they hold (or when
// the volume ends before them).
class ToyFinder final : public EndFinder {
 public:
  explicit ToyFinder(bool lookPastEnd = false) : lookPastEnd_(lookPastEnd) {}
  FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) override;

 private:
  bool lookPastEnd_;
  uint64_t length_ = 0;
};

// The described detection, plus sectors starting "TOYF" as kToyKind, whose ends the toy
// finder follows; other kinds run up to the next header.
class ToyRules final : public CarveRules {
 public:
  bool lookPastEnd = false;
  FileKind Detect(const uint8_t* sector, std::size_t size) const override;
  std::unique_ptr<EndFinder> FinderFor(FileKind kind) const override;
  bool FollowsStructures() const override { return true; }
};

}  // namespace orlenta
