// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace orlenta {

// Ends a command line that could not be parsed as GNU programs do. --help and --version
// print to stdout and give 0. Anything else prints to stderr, after the program's name,
// what was wrong (an option the program does not know is named as such, before any other
// complaint) and where help is; it gives `usageStatus`.
int FinishParseError(const CLI::App& app, const CLI::ParseError& error, int usageStatus);

// Prints "PROGRAM: problem" and the pointer to --help to stderr; gives `usageStatus`.
int UsageError(const std::string& program, const std::string& problem, int usageStatus);

}  // namespace orlenta
