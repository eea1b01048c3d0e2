// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "byte_window.h"
#include "format_family.h"

namespace orlenta {

// An end finder that hops from one structure header to the next: the format's Examine
// looks at the bytes it asked for and says what to read next, so payloads are skipped
// without being touched. As many steps as the bytes at hand allow run in one call.
class RecordWalk : public EndFinder {
 public:
  FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) final;

 protected:
  struct Step {
    enum Kind : uint8_t { kRead, kScan, kEnd, kBroken };
    Kind kind = kBroken;
    uint64_t offset = 0;
    uint32_t length = 0;
    bool certain = true;  // kEnd only
  };
  // Examine the `n` bytes at `offset` next (n <= kMaxFinderNeed).
  static Step ReadAt(uint64_t offset, uint32_t n) { return {Step::kRead, offset, n}; }
  // Examine whatever bytes arrive from `offset` on (at least one).
  static Step ScanFrom(uint64_t offset) { return {Step::kScan, offset, 0}; }
  // The file is `length` bytes long (the bytes up to there need not have arrived yet).
  static Step EndAt(uint64_t length) { return {Step::kEnd, length, 0}; }
  // The file most likely ends at `length`, but nothing in it says so: not verified.
  static Step LikelyEndAt(uint64_t length) { return {Step::kEnd, length, 0, false}; }
  static Step Broken() { return {}; }

  explicit RecordWalk(Step first) : step_(first) {}

  // The bytes asked for by `step` are in `window`. Says what comes next.
  virtual Step Examine(const ByteWindow& window, const Step& step) = 0;
  // The data ran out at step.offset, before the bytes `step` asked for: the volume ends
  // there.
  virtual Step DataEnded(const Step& step) {
    (void)step;
    return Broken();
  }

 private:
  std::optional<FinderStep> Answer(const ByteWindow& window);
  std::optional<FinderStep> DataRanOut(const ByteWindow& window, const Step& step);

  Step step_;
  bool asked_ = false;  // the caller was asked for the bytes of step_
};

}  // namespace orlenta
