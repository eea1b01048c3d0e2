// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace orlenta {

// One sector of test data. Kind 0 is a plain sector: its bytes all lie below 0x40, so they
// never form a header and never hold "AVI" or "WAVE"; they differ from sector to sector.
// Kinds 1..10 are the same bytes beginning with a header of that kind.
std::vector<uint8_t> MakeSector(int kind, uint64_t index, uint32_t sectorSize = 2048);

// `sectorCount` sectors, plain except for a header of kind k at each listed sector i.
std::vector<uint8_t> BuildVolume(uint64_t sectorCount,
                                 const std::vector<std::pair<uint64_t, int>>& headers,
                                 uint32_t sectorSize = 2048);

// The bytes of `count` sectors from `first` of `volume`.
std::vector<uint8_t> SectorRange(const std::vector<uint8_t>& volume, uint64_t first, uint64_t count,
                                 uint32_t sectorSize = 2048);

// Puts SectorBuffer, DriveGeometry, TotalSectors and StopFlag back to their state at
// program start.
void ResetEngineState();

// Every engine test starts from a fresh process-wide state.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngineState(); }
  void TearDown() override { ResetEngineState(); }
};

}  // namespace orlenta
