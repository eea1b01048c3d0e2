// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>

namespace orlenta {

std::string NameStemProblem(const std::string& stem) {
  if (stem.size() > 3) return "a name stem has at most 3 characters";
  if (stem.find('/') != std::string::npos) return "a name stem cannot hold '/'";
  return "";
}

std::string BatchFileNameProblem(const std::string& what, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return "the " + what + " needs a file name";
  if (name.find('/') != std::string::npos) {
    return "with -o, --" + what + " names the " + what +
           " inside each source's folder: a file name, not a path";
  }
  return "";
}

namespace {

// Sorts the words of the command line into the single form (SOURCE [OUTPUT_FOLDER]) or the
// batch form (SOURCE... -o ROOT). Returns why they fit neither, "" when they fit.
std::string SortSources(const std::vector<std::string>& words, bool jobsGiven,
                        CarveOptions& options) {
  if (options.outputRoot) {
    options.sources = words;
    std::string problem;
    if (options.report) problem = BatchFileNameProblem("report", *options.report);
    if (options.mapfile && problem.empty()) {
      problem = BatchFileNameProblem("mapfile", *options.mapfile);
    }
    return problem;
  }
  if (jobsGiven) return "-j needs -o ROOT: it carves several sources at once";
  if (words.size() > 2) return "several sources need -o ROOT (a folder for each under ROOT)";
  options.source = words[0];
  if (words.size() == 2) options.outputFolder = words[1];
  return "";
}

// The words the program was started with, as the report and the mapfile record them: a
// command that carves the same source again. A batch's own channel to a source's process
// (--summary-fd) is left out, as no user types it.
std::string CommandLineToRecord(int argc, const char* const* argv) {
  std::string line;
  bool inOptions = true;  // until "--": after it, every word is a source or folder
  for (int i = 0; i < argc; ++i) {
    const std::string word = argv[i];
    if (inOptions && word == "--summary-fd") {
      ++i;
      continue;
    }
    if (inOptions && word.starts_with("--summary-fd=")) continue;
    if (word == "--") inOptions = false;
    line += (line.empty() ? "" : " ") + word;
  }
  return line;
}

}  // namespace

std::variant<CarveOptions, int> ParseCarveOptions(int argc, const char* const* argv) {
  CarveOptions options;
  std::vector<std::string> words;
  CLI::App app{
      "Recovers photos, sound and video from a disc or disc image: every sector that begins "
      "with a JPEG, GIF, PNG, AVI, WAV, QuickTime, BMP, MP3 or MPEG header starts a new file "
      "that runs up to the next header.\n\n"
      "  orlenta-carve SOURCE [OUTPUT_FOLDER] [OPTIONS]\n"
      "  orlenta-carve SOURCE... -o ROOT [-j N] [OPTIONS]",
      "orlenta-carve"};
  app.footer(
      "Exit status: 0 completed, 1 completed but a file could not be written whole, 2 bad "
      "usage, damaged settings, or a source that cannot be read or went away, 128 + the "
      "signal's number when a signal ended the run (130 Ctrl-C; files so far are kept). "
      "With -o, the worst status of all the sources.");
  app.add_option("SOURCE", words,
                 "Disc image file, cue sheet or block device (e.g. /dev/sr0). Without -o, a "
                 "second word is the OUTPUT_FOLDER for recovered files (created when missing; "
                 "default: the settings' output folder, else ~/RecoveredByQuarn)")
      ->required();
  app.add_option("-o,--output-root", options.outputRoot,
                 "Carve every SOURCE into a new folder of its own under ROOT, named after the "
                 "source (disc.iso into ROOT/disc, then ROOT/disc-2 for another disc.iso or "
                 "when ROOT/disc exists), and end with a table of them all")
      ->type_name("ROOT");
  CLI::Option* jobs = app.add_option("-j,--jobs", options.jobs, "Carve N sources at once (with -o)")
                          ->type_name("N")
                          ->check(CLI::Range(1, 64));
  app.add_option("--summary-fd", options.summaryFd)->group("");
  app.add_option("--stem", options.stem,
                 "Text between number and extension of each file name (default: the "
                 "settings' stem, else REC)")
      ->check([](const std::string& stem) { return NameStemProblem(stem); });
  app.add_flag("--quiet", options.quiet, "No progress and no per-file lines");
  const std::map<std::string, LayoutChoice> layouts = {
      {"auto", LayoutChoice::kAuto}, {"plain", LayoutChoice::kPlain}, {"raw", LayoutChoice::kRaw}};
  app.add_option_function<std::string>(
         "--layout",
         [&options, layouts](const std::string& name) { options.layout = layouts.at(name); },
         "How an image file's sectors are read: auto (raw when its first sectors carry "
         "the CD sync pattern, else plain; the default), plain (2,048-byte sectors) or "
         "raw (2,352 or 2,448-byte CD sectors, even with a damaged start)")
      ->transform(CLI::IsMember(layouts, CLI::ignore_case).description(""))
      ->type_name("auto|plain|raw");
  app.add_option("--report", options.report,
                 "Write a DFXML report (report.xml) naming every recovered file with its "
                 "size, the bytes of the image it came from and its SHA-256; with -o, the "
                 "file name of the report in each source's folder")
      ->type_name("FILE");
  app.add_flag("--hash-source", options.hashSource,
               "Take the SHA-256 of the whole source as it is read (no second read) and tell "
               "it in the summary and the report");
  auto* exact = app.add_flag("--exact", options.exact,
                             "End every file where its own structure says it ends, whenever "
                             "that can be followed; header-like sectors inside it stay in it");
  auto* moreKinds = app.add_flag(
      "--more-kinds", options.moreKinds,
      "Also tell GIF87a, JPEG without APP0/APP1, MP4/M4A/3GP, QuickTime with ftyp, other MP3 "
      "tags, other BMP headers, MPEG-2/VOB, WMA/WMV, FLAC, Ogg, Matroska/WebM and camera raw "
      "files (CR2, NEF, ARW, DNG)");
  app.add_flag("--as-described", options.asDescribed,
               "Ten kinds, every file running up to the next header, whatever the options "
               "file of the window says (the default when it says nothing)")
      ->excludes(exact)
      ->excludes(moreKinds);
  app.add_flag("--skip-bad", options.skipBad,
               "After 8 unreadable sectors in a row, jump ahead (doubling while reads keep "
               "failing); what is jumped over is written as zeros and counted as skipped");
  app.add_option("--mapfile", options.mapfile,
                 "Write a GNU ddrescue mapfile of what was read, bad and not tried, so that "
                 "ddrescue can retry the rest into an image (plain images and block devices); with "
                 "-o, the file name of the mapfile in each source's folder")
      ->type_name("FILE");
  app.add_option("--speed", options.speed,
                 "Ask an optical drive to read at N times a music CD's speed (a scratched disc "
                 "reads better slowly; default: the options file's speed=N, else the drive's "
                 "own choice)")
      ->type_name("N")
      ->check(CLI::Range(1, 255));
  app.add_flag("--no-audio", options.noAudio,
               "Write no WAV file of a disc's audio tracks (by default each audio track of a "
               "cue sheet or drive becomes one, unless the options file says audio=off)");
  app.set_version_flag("--version", std::string("orlenta-carve ") + ORLENTA_VERSION);
  options.commandLine = CommandLineToRecord(argc, argv);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kExitUsage;
  }
  if (const std::string problem = SortSources(words, jobs->count() > 0, options);
      !problem.empty()) {
    std::fprintf(stderr, "orlenta-carve: %s\n", problem.c_str());
    return kExitUsage;
  }
  return options;
}

}  // namespace orlenta
