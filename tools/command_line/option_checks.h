// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace orlenta {

// Checks of option values whose refusals read as plain sentences ("--jobs: '99' is not a
// whole number from 1 to 64"), and that add nothing to the help.
CLI::Validator WholeNumberFrom(unsigned long low, unsigned long high);
// One of `words`, after Lowered(): "--recovery: 'bogus' is not one of: described, exact".
CLI::Validator OneOf(std::vector<std::string> words);
// The value in lower case, so that words are taken in any case.
CLI::Validator Lowered();

}  // namespace orlenta
