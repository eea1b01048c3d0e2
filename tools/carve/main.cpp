// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve: the recovery run without a window.
#include <unistd.h>

#include "batch_run.h"
#include "carve_job.h"
#include "carve_options.h"
#include "interrupt.h"
#include "report_table.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
  // Before anything is opened, so that no file of the run can take a terminal's place.
  if (!orlenta::KeepStandardStreamsOpen()) return orlenta::kExitUsage;
  auto parsed = orlenta::ParseCarveOptions(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  orlenta::InstallInterruptHandler();
  const auto& options = std::get<orlenta::CarveOptions>(parsed);
  if (options.tableRoot) return orlenta::PrintReportTable(*options.tableRoot, stdout, stderr);
  if (options.outputRoot) return orlenta::RunBatch(options, {});
  // A batch's sources share its terminal: the progress line is for a single run only.
  const bool terminal = ::isatty(STDERR_FILENO) == 1 && !options.summaryFd;
  return orlenta::RunCarveJob(options, {}, terminal);
}
