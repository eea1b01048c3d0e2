// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "file_kind.h"
#include "formats/format_family.h"

namespace orlenta {

// How a run tells headers and where it lets files end. The described rules know the ten
// kinds and end every file at the next header; wider rules may know more kinds and follow
// each file's own structure to its end.
class CarveRules {
 public:
  virtual ~CarveRules() = default;

  // The kind of header that `sector` (at least `size` bytes, readable up to
  // kDetectionDepth) starts with, or kNoHeader.
  virtual FileKind Detect(const uint8_t* sector, std::size_t size) const = 0;

  // A fresh end finder for a file of `kind`; nullptr when the file is to run up to the next
  // header.
  virtual std::unique_ptr<EndFinder> FinderFor(FileKind kind) const = 0;

  // True when files are cut at the end their structure tells, wherever it can be followed.
  virtual bool FollowsStructures() const = 0;
};

// The ten kinds, every file running up to the next header.
class DescribedRules final : public CarveRules {
 public:
  FileKind Detect(const uint8_t* sector, std::size_t) const override {
    return DetectFileKindIn(sector);
  }
  std::unique_ptr<EndFinder> FinderFor(FileKind) const override { return nullptr; }
  bool FollowsStructures() const override { return false; }
};

// The rules of runs that are not told otherwise.
const CarveRules& DefaultCarveRules();

}  // namespace orlenta
