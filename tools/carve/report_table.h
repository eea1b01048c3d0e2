// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "batch_table.h"

namespace orlenta {

// A run as its report tells it, for the table of runs made anywhere.
struct ReportedRun {
  BatchRow row;
  double start = 0;  // seconds since the epoch
  double end = 0;    // the report's end, or its start when the run never told one
};

// The run whose report is at `path`, its folder named relative to `root`; nullopt when the
// file is not a report of this program. A report cut short (its run was killed) still
// tells its files, and its run counts as interrupted.
std::optional<ReportedRun> ReadReportedRun(const std::string& path, const std::string& root);

// Prints to `out` the table a batch closes with, of every report of this program under
// `root` at any depth, in the order of their folders. Returns the worst exit status of
// those runs; 2 when `root` cannot be read or holds no report (told on `err`).
int PrintReportTable(const std::string& root, std::FILE* out, std::FILE* err);

}  // namespace orlenta
