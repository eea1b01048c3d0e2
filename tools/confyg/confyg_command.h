// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "confyg_options.h"
#include "confyg_paths.h"

namespace orlenta {

// Carries out a command line that needs no window: checks every value first (nothing is
// written when one fails), then creates or completes the settings file as asked, stores the
// edits and the drives, and prints the settings when asked. Results go to `out`, problems to
// `err`. Returns confyg's exit status.
int RunConfygCommand(const ConfygOptions& options, const ConfygPaths& paths, std::ostream& out,
                     std::ostream& err);

}  // namespace orlenta
