// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_test_support.h"

#include <algorithm>

namespace orlenta {

std::vector<uint8_t> PatternRecord() {
  std::vector<uint8_t> bytes(RecoverySettings::kSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  bytes[3] = 0;  // a stem of three characters
  bytes[216] = 2;
  const auto record = RecoverySettings::FromBytes(bytes);
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[420 + i] =
        static_cast<uint8_t>(static_cast<uint32_t>(record.ComputedCheckValue()) >> (8 * i));
  }
  return bytes;
}

ConfygPaths PathsIn(const TempDir& dir) {
  return {dir.File("config/orlenta/propCD.pro"), dir.File("config/orlenta/drives"),
          dir.File("share/orlenta")};
}

std::vector<std::size_t> ChangedBytes(const std::vector<uint8_t>& before,
                                      const std::vector<uint8_t>& after) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i) {
    if (before[i] != after[i]) changed.push_back(i);
  }
  return changed;
}

}  // namespace orlenta
