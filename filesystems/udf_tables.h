// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "udf_space.h"

namespace orlenta {

// Reads the tables the volume's partition maps need into `space`: the sparing table of a
// sparable partition (from the first copy that reads), the virtual allocation table of a
// disc written in packets (found at the end of what was written), the metadata file and its
// mirror. What cannot be read is told in `problems`.
void LoadUdfTables(UdfSpace& space, std::vector<std::string>& problems);

}  // namespace orlenta
