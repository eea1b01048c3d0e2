// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <variant>

namespace orlenta {

struct CarveOptions {
  std::string source;                       // image file or block device
  std::optional<std::string> outputFolder;  // default: the settings' folder
  std::optional<std::string> stem;          // default: the settings' stem, else "REC"
  bool quiet = false;
  std::optional<std::string> report;   // where to write the DFXML report, when asked for
  bool skipBad = false;                // jump over zones of bad sectors
  std::optional<std::string> mapfile;  // where to write a rescue tool's mapfile, when asked for
  std::string commandLine;             // the words the program was started with, for the report
};

// Exit statuses of orlenta-carve.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFileErrors = 1;  // the scan ran, but a file could not be written
inline constexpr int kExitUsage = 2;       // bad usage, or the source cannot be read
// Ended by a signal (Ctrl-C, SIGTERM, SIGHUP, a closed stdout): this plus its number.
inline constexpr int kExitSignalBase = 128;

// The options of the command line, or the exit status to end with at once (after --help,
// --version, or a usage error, which has then been printed).
std::variant<CarveOptions, int> ParseCarveOptions(int argc, const char* const* argv);

// Why `stem` cannot be a name stem ("" when it can): at most 3 characters, no separator.
std::string NameStemProblem(const std::string& stem);

}  // namespace orlenta
