// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve: the recovery run without a window.
#include <unistd.h>

#include "carve_job.h"
#include "interrupt.h"

int main(int argc, char** argv) {
  auto parsed = orlenta::ParseCarveOptions(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  orlenta::InstallInterruptHandler();
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  return orlenta::RunCarveJob(std::get<orlenta::CarveOptions>(parsed), {}, terminal);
}
