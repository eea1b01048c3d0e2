// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace orlenta {

// Why the segment files `segments` (the first file of an Expert Witness set and those found
// beside it, in order) do not make the whole set; "" when they do. Every segment must be a
// regular file (a FIFO would block whoever opens it), carry its own number in the set, have
// its chain of sections intact up to its end, and the last one must close the set: when it
// says another segment follows, that segment is missing, and is named. Sets of the newer
// format (Ex01) are left to the library that reads them.
std::string EvidenceSetProblem(const std::vector<std::string>& segments);

}  // namespace orlenta
