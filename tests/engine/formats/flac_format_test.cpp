// SPDX-License-Identifier: GPL-3.0-or-later
// FLAC frames carry no length: the last one is walked to its end and its CRC-16 checked
// there, whatever follows the file; every frame before it is checked by its CRC-16 too.
#include <gtest/gtest.h>

#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::RandomBytes;
using testing::ReadSample;

const char* const kFlacSamples[] = {"ffmpeg.flac", "flac-best.flac", "flac-fast.flac"};

std::vector<uint8_t> FollowedBy(std::vector<uint8_t> file, const std::vector<uint8_t>& next) {
  file.insert(file.end(), next.begin(), next.end());
  return file;
}

TEST(FlacEnd, AFlacStraightAfterAnotherEndsTheFirst) {
  for (const char* name : kFlacSamples) {
    const std::vector<uint8_t> file = ReadSample(name);
    for (const char* next : kFlacSamples) {
      const FinderStep step = FindEnd(kFlac, FollowedBy(file, ReadSample(next)), 7);
      EXPECT_EQ(step.kind, FinderStep::kEnd) << name << " then " << next;
      EXPECT_EQ(step.offset, file.size()) << name << " then " << next;
    }
  }
}

TEST(FlacEnd, ADamagedLastFrameIsNoEnd) {
  const std::vector<uint8_t> noise = RandomBytes(2 * kSector, 5);
  for (const char* name : kFlacSamples) {
    const std::vector<uint8_t> file = ReadSample(name);
    // The CRC-16's last byte, then a byte among the last frame's residuals.
    for (const std::size_t back : {std::size_t{1}, std::size_t{20}}) {
      std::vector<uint8_t> damaged = file;
      damaged[file.size() - back] ^= 0x10;
      for (const std::size_t piece : {std::size_t{1}, kSector}) {
        const FinderStep step = FindEnd(kFlac, FollowedBy(damaged, noise), piece);
        EXPECT_EQ(step.kind, FinderStep::kBroken) << name << ", byte " << back << " from the end";
      }
    }
  }
}

TEST(FlacEnd, ALastFrameCutShortByTheVolumeEndIsNoEnd) {
  for (const char* name : kFlacSamples) {
    std::vector<uint8_t> file = ReadSample(name);
    file.resize(file.size() - 3);
    EXPECT_EQ(FindEnd(kFlac, file, kSector).kind, FinderStep::kBroken) << name;
  }
}

TEST(FlacEnd, AnEarlierFrameThatFailsItsCrcLeavesTheEndUnverified) {
  for (const char* name : kFlacSamples) {
    std::vector<uint8_t> file = ReadSample(name);
    file[file.size() * 2 / 3] ^= 0x01;  // inside an earlier frame (padding fills the first half)
    for (const std::size_t piece : {std::size_t{1}, kSector}) {
      const FinderStep step = FindEnd(kFlac, FollowedBy(file, RandomBytes(kSector, 9)), piece);
      EXPECT_EQ(step.kind, FinderStep::kEnd) << name << ", pieces of " << piece;
      EXPECT_EQ(step.offset, file.size()) << name << ", pieces of " << piece;
      EXPECT_FALSE(step.certain) << name << ", pieces of " << piece;
    }
  }
}

// A sector of zeros over a frame's header (a sector that could not be read) loses the
// frame that the next one must follow: the walk must not seek on into the next file, whose
// frames are numbered alike, and take its end for this one's.
TEST(FlacEnd, AFrameLostInZerosIsNoEndInTheNextFile) {
  for (const char* name : kFlacSamples) {
    std::vector<uint8_t> file = ReadSample(name);
    std::size_t sync = file.size() / 2;
    while (sync + 1 < file.size() && !(file[sync] == 0xFF && (file[sync + 1] & 0xFE) == 0xF8)) {
      ++sync;
    }
    ASSERT_LT(sync + kSector, file.size()) << name;
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(sync) - 1, kSector, 0);
    const std::vector<uint8_t> disc = FollowedBy(FollowedBy(file, ReadSample(name)), file);
    for (const std::size_t piece : {std::size_t{1}, kSector}) {
      const FinderStep step = FindEnd(kFlac, disc, piece);
      if (step.kind == FinderStep::kBroken) continue;
      EXPECT_EQ(step.kind, FinderStep::kEnd) << name << ", pieces of " << piece;
      EXPECT_LE(step.offset, file.size()) << name << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace orlenta
