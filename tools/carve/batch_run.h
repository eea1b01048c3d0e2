// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "carve_options.h"
#include "console_host.h"

namespace orlenta {

// The batch form: carves every source of `options` into a new folder of its own under the
// root, `options.jobs` at a time. Each source is carved by a process of its own (this
// program again), since a run's state is the whole process's; its messages and file lines
// pass straight through. A line tells of each source as it ends, and a table of them all
// closes the batch. An interrupt starts no more sources and is passed on to those running.
// Returns the worst exit status of the sources.
int RunBatch(const CarveOptions& options, ConsoleStreams streams);

}  // namespace orlenta
