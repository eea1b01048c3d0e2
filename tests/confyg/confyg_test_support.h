// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "confyg_paths.h"
#include "engine/settings_record.h"
#include "support/temp_dir.h"

namespace orlenta {

// A 620-byte record whose bytes all differ from their neighbours, so that a byte changed by
// mistake shows; its language is French and its check value agrees with it.
std::vector<uint8_t> PatternRecord();

// Paths of confyg's files inside `dir`, and an install folder named after it.
ConfygPaths PathsIn(const TempDir& dir);

// The indexes at which `before` and `after` differ, over the length of the shorter one.
std::vector<std::size_t> ChangedBytes(const std::vector<uint8_t>& before,
                                      const std::vector<uint8_t>& after);

}  // namespace orlenta
