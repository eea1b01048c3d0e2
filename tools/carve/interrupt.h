// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>

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

// Asks the run to end as `signal` would have: for a cause seen without its signal.
void RequestInterrupt(int signal);

// True when nobody reads `stream` any more (a pipe or socket whose reading end is closed, as
// `| head -1` leaves it). Seen without writing to it, so that a run that has nothing to
// write for a long while, inside a zone of bad sectors, still hears of it.
bool ReaderGone(std::FILE* stream);

}  // namespace orlenta
