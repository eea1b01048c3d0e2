// SPDX-License-Identifier: GPL-3.0-or-later
// End finders and the wider detection read bytes from damaged discs. Input: a kind byte, a
// piece-size byte, then the file's bytes. The finder must keep to its contract: requests
// never before the bytes given, never more than kMaxFinderNeed at once, an end never past
// the bytes given; and detection must not read past the size it is told.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/file_kind.h"
#include "engine/formats/format_registry.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  using orlenta::FinderStep;
  if (size < 3) return 0;
  const auto kind = static_cast<orlenta::FileKind>(1 + input[0] % orlenta::kAllKindCount);
  const std::size_t piece = 1 + input[1] * 16u;
  const std::vector<uint8_t> data(input + 2, input + size);

  std::vector<uint8_t> sector(std::max(data.size(), orlenta::kDetectionDepth), 0xEE);
  std::copy(data.begin(), data.end(), sector.begin());
  const orlenta::FileKind detected =
      orlenta::DetectMoreKinds(sector.data(), std::min<std::size_t>(data.size(), 2048));
  Check(detected >= 0 && detected <= orlenta::kAllKindCount);

  std::unique_ptr<orlenta::EndFinder> finder = orlenta::MakeEndFinder(kind);
  std::size_t arrived = std::min<std::size_t>(2048, data.size());
  uint64_t at = 0;
  FinderStep step = finder->Next(0, {data.data(), arrived});
  while (step.kind == FinderStep::kNeed || step.kind == FinderStep::kScan) {
    Check(step.offset >= at);
    Check(step.kind == FinderStep::kScan ||
          (step.length >= 1 && step.length <= orlenta::kMaxFinderNeed));
    const uint64_t wanted = step.offset + std::max<uint32_t>(step.length, 1);
    while (arrived < wanted && arrived < data.size())
      arrived = std::min(data.size(), arrived + piece);
    at = std::min<uint64_t>(step.offset, arrived);
    step = finder->Next(at, {data.data() + at, arrived - at});
  }
  if (step.kind == FinderStep::kEnd) Check(step.offset >= 1 && step.offset <= arrived);
  return 0;
}
