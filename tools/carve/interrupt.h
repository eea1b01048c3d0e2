// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orlenta {

// Ctrl-C (SIGINT) and SIGTERM only raise a flag; the run notices it at its next event pump
// and ends as a Stop would, keeping the files written so far.
void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace orlenta
