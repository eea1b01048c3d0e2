// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_sector_runs.h"

#include <gtest/gtest.h>

namespace orlenta {
namespace {

TEST(FileSectorRuns, EachLengthEndsInTheSectorHoldingItsLastByte) {
  FileSectorRuns runs;
  runs.Start(10, 2048);         // bytes 0..2047 in sector 10
  ASSERT_TRUE(runs.Add(2048));  // 2048..4095 in 11
  ASSERT_TRUE(runs.Add(2324));  // 4096..6419 in 12
  ASSERT_TRUE(runs.Add(2324));  // 6420..8743 in 13
  ASSERT_TRUE(runs.Add(2048));  // 8744..10791 in 14
  EXPECT_EQ(runs.SectorHolding(1), 10u);
  EXPECT_EQ(runs.SectorHolding(2048), 10u);
  EXPECT_EQ(runs.SectorHolding(2049), 11u);
  EXPECT_EQ(runs.SectorHolding(4096), 11u);
  EXPECT_EQ(runs.SectorHolding(4097), 12u);
  EXPECT_EQ(runs.SectorHolding(6420), 12u);
  EXPECT_EQ(runs.SectorHolding(6421), 13u);
  EXPECT_EQ(runs.SectorHolding(10792), 14u);

  runs.Start(3, 2324);  // a new file forgets the last one
  EXPECT_EQ(runs.SectorHolding(2324), 3u);
}

TEST(FileSectorRuns, AFileChangingFormAtEverySectorIsMappedOnlyUpToTheLimit) {
  FileSectorRuns runs;
  runs.Start(0, 2048);
  uint32_t sectors = 1;
  bool mapped = true;
  for (; mapped && sectors < 3 * FileSectorRuns::kMaxRuns; ++sectors) {
    mapped = runs.Add(sectors % 2 == 0 ? 2048 : 2324);
  }
  EXPECT_FALSE(mapped);
  EXPECT_EQ(sectors, FileSectorRuns::kMaxRuns + 1);
  // What was mapped before the limit still tells its sectors.
  EXPECT_EQ(runs.SectorHolding(2048 + 2324 + 1), 2u);
}

}  // namespace
}  // namespace orlenta
