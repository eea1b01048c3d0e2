// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_options.h"

#include <CLI/CLI.hpp>

namespace orlenta {

std::string NameStemProblem(const std::string& stem) {
  if (stem.size() > 3) return "a name stem has at most 3 characters";
  if (stem.find('/') != std::string::npos) return "a name stem cannot hold '/'";
  return "";
}

std::variant<CarveOptions, int> ParseCarveOptions(int argc, const char* const* argv) {
  CarveOptions options;
  CLI::App app{
      "Recovers photos, sound and video from a disc or disc image: every sector that begins "
      "with a JPEG, GIF, PNG, AVI, WAV, QuickTime, BMP, MP3 or MPEG header starts a new file "
      "that runs up to the next header.",
      "orlenta-carve"};
  app.footer(
      "Exit status: 0 completed, 1 completed but a file could not be written whole, 2 bad "
      "usage, damaged settings, or a source that cannot be read or went away, 128 + the "
      "signal's number when a signal ended the run (130 Ctrl-C; files so far are kept).");
  app.add_option("SOURCE", options.source, "Disc image file or block device (e.g. /dev/sr0)")
      ->required();
  app.add_option("OUTPUT_FOLDER", options.outputFolder,
                 "Folder for recovered files (created when missing; default: the settings' "
                 "output folder, else ~/RecoveredByQuarn)");
  app.add_option("--stem", options.stem,
                 "Text between number and extension of each file name (default: the "
                 "settings' stem, else REC)")
      ->check([](const std::string& stem) { return NameStemProblem(stem); });
  app.add_flag("--quiet", options.quiet, "No progress and no per-file lines");
  app.add_option("--report", options.report,
                 "Write a DFXML report (report.xml) naming every recovered file with its "
                 "size, the bytes of the image it came from and its SHA-256");
  app.add_flag("--skip-bad", options.skipBad,
               "After 8 unreadable sectors in a row, jump ahead (doubling while reads keep "
               "failing); what is jumped over is written as zeros and counted as skipped");
  app.add_option("--mapfile", options.mapfile,
                 "Write a GNU ddrescue mapfile of what was read, bad and not tried, so that "
                 "ddrescue can retry the rest into an image (plain images and block devices)");
  app.set_version_flag("--version", std::string("orlenta-carve ") + ORLENTA_VERSION);
  for (int i = 0; i < argc; ++i) {
    options.commandLine += (i > 0 ? " " : "") + std::string(argv[i]);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kExitUsage;
  }
  return options;
}

}  // namespace orlenta
