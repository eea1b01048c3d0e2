// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orlenta {

// Ctrl-C (SIGINT), SIGTERM, SIGHUP and SIGPIPE (stdout closed) only note the signal; the run
// notices it at its next event pump and ends as a Stop would, keeping the files written so
// far and finishing its summary and report. The handlers do not restart interrupted system
// calls, so no blocking call outlives the signal. SIGXFSZ is ignored: a file that grows past
// the size limit fails to write (EFBIG) and is told like any other write failure.
void InstallInterruptHandler();
bool InterruptRequested();

// The first signal that asked the run to end; 0 when none did.
int InterruptSignal();

}  // namespace orlenta
