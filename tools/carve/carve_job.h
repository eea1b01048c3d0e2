// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "carve_options.h"
#include "console_host.h"

namespace orlenta {

// Checks the source and the output folder, runs the recovery and tells the summary.
// Returns the exit status.
int RunCarveJob(const CarveOptions& options, ConsoleStreams streams, bool showProgress);

// Creates `folder` when missing; it must end up a folder we can write into. Returns false
// after telling why it cannot be used.
bool PrepareOutputFolder(const std::string& folder, ConsoleStreams streams);

}  // namespace orlenta
