// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "udf_space.h"

namespace orlenta {

// Where a virtual allocation table in use was found, and where the one written before it
// lies: a disc written in packets gets a new table each time it is written, and the older
// ones stay, each naming the files as they were then.
struct UdfTableChain {
  uint16_t map = 0;       // the virtual partition's map
  uint16_t base = 0;      // the map of the partition the tables lie on
  uint64_t sector = 0;    // of the table's entry
  uint32_t previous = 0;  // the previous table's entry, as the table records it
};

// Reads the tables the volume's partition maps need into `space`: the sparing table of a
// sparable partition (from the first copy that reads), the virtual allocation table of a
// disc written in packets (found at the end of what was written), the metadata file and its
// mirror. What cannot be read is told in `problems`. Gives where the virtual allocation
// table was found, on a disc that has one.
std::optional<UdfTableChain> LoadUdfTables(UdfSpace& space, std::vector<std::string>& problems);

// Puts the table written before `chain`'s in its place in `space`, and moves `chain` on to
// it; false when there is none (or it cannot be read), leaving `space` as it was.
bool LoadOlderVirtualTable(UdfSpace& space, UdfTableChain& chain);

}  // namespace orlenta
