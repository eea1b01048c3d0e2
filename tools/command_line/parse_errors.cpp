// SPDX-License-Identifier: GPL-3.0-or-later
#include "parse_errors.h"

#include <cstdio>

namespace orlenta {
namespace {

// The first word that looks like an option but is none of the program's; "" when none.
std::string UnknownOption(const CLI::App& app) {
  for (const std::string& word : app.remaining()) {
    if (word.size() > 1 && word[0] == '-') return word;
  }
  return "";
}

}  // namespace

int UsageError(const std::string& program, const std::string& problem, int usageStatus) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.c_str(),
               problem.c_str(), program.c_str());
  return usageStatus;
}

int FinishParseError(const CLI::App& app, const CLI::ParseError& error, int usageStatus) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    // --help and --version: CLI11 prints them, to stdout.
    return app.exit(error);
  }
  const std::string program = app.get_name();
  if (const std::string unknown = UnknownOption(app); !unknown.empty()) {
    return UsageError(program, "unrecognized option '" + unknown + "'", usageStatus);
  }
  return UsageError(program, error.what(), usageStatus);
}

}  // namespace orlenta
