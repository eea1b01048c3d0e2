// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_walk.h"

namespace orlenta {

FinderStep RecordWalk::Next(uint64_t at, std::span<const uint8_t> bytes) {
  const ByteWindow window(at, bytes);
  for (;;) {
    if (const std::optional<FinderStep> answer = Answer(window)) return *answer;
  }
}

// One step of the walk: an answer for the caller, or nothing when the walk goes on with
// the bytes at hand.
std::optional<FinderStep> RecordWalk::Answer(const ByteWindow& window) {
  const Step step = step_;
  const bool asked = asked_;
  asked_ = false;
  switch (step.kind) {
    case Step::kBroken:
      return FinderStep::Broken();
    case Step::kEnd:
      if (step.offset == 0 || step.offset > kLargestFile) return FinderStep::Broken();
      if (step.offset <= window.End()) {
        return step.certain ? FinderStep::End(step.offset) : FinderStep::LikelyEnd(step.offset);
      }
      // The end lies ahead: make sure the file's bytes are really there up to it.
      if (asked) return FinderStep::Broken();
      asked_ = true;
      return FinderStep::Need(step.offset - 1, 1);
    case Step::kRead:
      if (step.length == 0 || step.length > kMaxFinderNeed || step.offset > kLargestFile ||
          step.offset < window.Begin()) {
        return FinderStep::Broken();
      }
      if (!window.Holds(step.offset, step.length)) {
        if (asked) return DataRanOut(window, step);
        step_ = step;
        asked_ = true;
        return FinderStep::Need(step.offset, step.length);
      }
      break;
    case Step::kScan:
      if (step.offset > kLargestFile || step.offset < window.Begin()) return FinderStep::Broken();
      if (!window.Holds(step.offset, 1)) {
        if (asked) return DataRanOut(window, step);
        step_ = step;
        asked_ = true;
        return FinderStep::Scan(step.offset);
      }
      break;
  }
  step_ = Examine(window, step);
  return std::nullopt;
}

// The caller had fewer bytes than asked for: the volume ends at the window's end. When
// that is before the place asked for, the file runs past the volume (a payload skipped
// over was cut short).
std::optional<FinderStep> RecordWalk::DataRanOut(const ByteWindow& window, const Step& step) {
  if (window.End() < step.offset) return FinderStep::Broken();
  step_ = DataEnded(step);
  return std::nullopt;
}

}  // namespace orlenta
