// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "engine/formats/format_registry.h"

namespace orlenta::testing {

FinderStep Feed(EndFinder& finder, std::span<const uint8_t> data, std::size_t piece) {
  // Bytes [0, arrived) have come; the first call gets the header sector.
  std::size_t arrived = std::min(kSector, data.size());
  auto arriveUpTo = [&](uint64_t wanted) {
    while (arrived < wanted && arrived < data.size()) {
      arrived = std::min(data.size(), arrived + piece);
    }
  };
  uint64_t at = 0;
  FinderStep step = finder.Next(0, data.first(arrived));
  for (int calls = 0; calls < 10'000'000; ++calls) {
    switch (step.kind) {
      case FinderStep::kEnd:
        EXPECT_GE(step.offset, 1u);
        EXPECT_LE(step.offset, arrived) << "an end beyond the bytes given";
        return step;
      case FinderStep::kBroken:
        return step;
      case FinderStep::kNeed:
        EXPECT_GE(step.length, 1u);
        EXPECT_LE(step.length, kMaxFinderNeed);
        arriveUpTo(step.offset + step.length);
        break;
      case FinderStep::kScan:
        arriveUpTo(step.offset + 1);
        break;
    }
    EXPECT_GE(step.offset, at) << "a request before the bytes already given";
    if (step.offset < at) return FinderStep::Broken();
    // Past the end of the data, the finder hears where the data ended.
    at = std::min<uint64_t>(step.offset, arrived);
    step = finder.Next(at, data.subspan(at, arrived - at));
  }
  ADD_FAILURE() << "the finder never answered";
  return FinderStep::Broken();
}

FinderStep FindEnd(FileKind kind, std::span<const uint8_t> data, std::size_t piece) {
  std::unique_ptr<EndFinder> finder = MakeEndFinder(kind);
  if (!finder) {
    ADD_FAILURE() << "no finder for kind " << kind;
    return FinderStep::Broken();
  }
  return Feed(*finder, data, piece);
}

std::vector<uint8_t> OnDisc(std::vector<uint8_t> file, const std::vector<uint8_t>& after) {
  file.resize((file.size() + kSector - 1) / kSector * kSector, 0);
  std::vector<uint8_t> next = after;
  next.resize(std::max(next.size(), kSector), 0);
  file.insert(file.end(), next.begin(), next.end());
  return file;
}

std::vector<uint8_t> ReadSample(const std::string& name) {
  std::ifstream in(std::string(ORLENTA_FORMAT_SAMPLES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> RandomBytes(std::size_t count, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

void PrintTo(const SampleFile& sample, std::ostream* os) {
  *os << sample.file;
}

}  // namespace orlenta::testing
