// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run_summary.h"

namespace orlenta {

// One source of a batch as the closing table shows it.
struct BatchRow {
  std::string source;                 // as the user gave it
  std::string folder;                 // the folder's name under the root; "" when none was made
  std::optional<int> status;          // its exit status; nullopt when it was never started
  std::optional<RunSummary> summary;  // nullopt when the run ended before telling one
};

// "completed", "file errors", "failed", "interrupted", "signal N" or "not started".
std::string StatusName(const std::optional<int>& status);

// The worst exit status of the rows: the highest (a source never started counts as
// interrupted, since only an interrupt leaves one unstarted).
int WorstStatus(const std::vector<BatchRow>& rows);

// The closing table of a batch, lines ending in '\n': one row per source with its folder,
// status, files by name (when some source gave files back by name), carved files, files per
// kind (only kinds some source gave), unreadable sectors and, when
// some source jumped over bad zones, skipped sectors, then
// a total line with the wall time and throughput over all sources, then the sources'
// SHA-256 when they were taken.
std::string FormatBatchTable(const std::vector<BatchRow>& rows, double wallSeconds);

}  // namespace orlenta
