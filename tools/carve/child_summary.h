// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "run_summary.h"

namespace orlenta {

// A run's summary as a few "key value" lines, for the batch that started the run as a
// process of its own, and back.
std::string EncodeSummary(const RunSummary& summary);
// nullopt when `text` is not a whole summary (the run ended before telling it).
std::optional<RunSummary> DecodeSummary(std::string_view text);

}  // namespace orlenta
