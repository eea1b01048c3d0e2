// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>

#include "engine/settings_file.h"
#include "gnu_help.h"
#include "option_checks.h"
#include "parse_errors.h"
#include "platform/sha256.h"
#include "shell_words.h"

namespace orlenta {

std::string NameStemProblem(const std::string& stem) {
  if (stem.size() > 3) return "a name stem has at most 3 characters";
  if (stem.find('/') != std::string::npos) return "a name stem cannot hold '/'";
  if (HoldsControlCharacter(stem)) return "a name stem cannot hold control characters";
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

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The options that choose which files are written and the digests taken of them; each kept
// as given for the sources of a batch.
void AddFilterOptions(CLI::App& app, CarveOptions& options) {
  const auto keep = [&options](const char* name, const std::string& value) {
    options.passedOn.insert(options.passedOn.end(), {name, value});
  };
  app.add_option_function<std::string>(
         "--kinds",
         [&options, keep](const std::string& list) {
           options.filter.KeepFamilies(CommaList(list));
           keep("--kinds", list);
         },
         "write only files of the kinds in LIST, separated by commas, in any case (jpeg, "
         "png, gif, bmp, avi, wave, quicktime, mp3, mpeg, and with --more-kinds mp4, flac, "
         "ogg, ...; jpeg covers every JPEG kind); a kind left out still ends the file "
         "before it, so the other files stay as they are without this option")
      ->type_name("LIST")
      ->check(KindsProblem);
  app.add_option_function<std::string>(
         "--min-size",
         [&options, keep](const std::string& text) {
           options.filter.KeepFilesFrom(*ByteCount(text));
           keep("--min-size", text);
         },
         "keep only files of at least BYTES bytes (k, M, G: times 1,024 each); a smaller "
         "file is removed once it has ended, and its line comes only for files kept")
      ->type_name("BYTES")
      ->check(ByteCountProblem);
  app.add_option_function<std::string>(
         "--min-pixels",
         [&options, keep](const std::string& text) {
           const auto pixels = *PixelCount(text);
           options.filter.KeepPicturesFrom(pixels.first, pixels.second);
           keep("--min-pixels", text);
         },
         "write only pictures at least W pixels wide and H high, where their header tells "
         "(JPEG, PNG, GIF, BMP): thumbnails and icons are left out")
      ->type_name("WxH")
      ->check(PixelCountProblem);
  app.add_option_function<std::string>(
         "--hash",
         [&options, keep](const std::string& list) {
           options.digests = CommaList(Lowered(list));
           keep("--hash", list);
         },
         "take the digests in LIST (md5, sha1, sha256, separated by commas) of every file and, "
         "with --hash-source, of the source; SHA-256 is always taken")
      ->type_name("LIST")
      ->check([](const std::string& list) -> std::string {
        for (const std::string& name : CommaList(Lowered(list))) {
          if (!IsDigestName(name)) return "'" + name + "' is not one of: md5, sha1, sha256";
        }
        return "";
      });
}

// Why the options asked for cannot go together ("" when they can).
std::string CombinationProblem(const CarveOptions& options) {
  if (options.image && options.byKind) {
    return "--by-kind is not with --image: a run that goes on takes its files in from one "
           "folder";
  }
  if (options.reportOnly && !options.report) return "--report-only needs --report FILE";
  if (options.reportOnly && options.image) {
    return "--report-only keeps no file: not with --image, which completes its files";
  }
  if (options.reportOnly && options.names) {
    return "--report-only keeps no file: not with --names, which writes the disc's files";
  }
  return "";
}

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
    if (options.image && problem.empty())
      problem = "--image keeps the image of one source: not with -o";
    return problem;
  }
  if (jobsGiven) return "-j needs -o ROOT: it carves several sources at once";
  if (words.size() > 2) return "several sources need -o ROOT (a folder for each under ROOT)";
  options.source = words[0];
  if (words.size() == 2) options.outputFolder = words[1];
  return "";
}

// The words the program was started with, as the report and the mapfile record them: a
// command that carves the same source again, each word quoted as a shell needs it. A batch's own
// channel to a source's process
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
    line += (line.empty() ? "" : " ") + ShellWord(word);
  }
  return line;
}

}  // namespace

std::variant<CarveOptions, int> ParseCarveOptions(int argc, const char* const* argv) {
  CarveOptions options;
  std::vector<std::string> words;
  CLI::App app{"", "orlenta-carve"};
  app.formatter(std::make_shared<GnuHelp>(
      std::vector<std::string>{"[OPTION]... SOURCE [OUTPUT_FOLDER]",
                               "[OPTION]... -o ROOT SOURCE...", "--table ROOT"},
      "Recover photos, sound and video from a disc or a disc image: every sector that begins "
      "with a JPEG, GIF, PNG, AVI, WAV, QuickTime, BMP, MP3 or MPEG header starts a new file "
      "that runs up to the next header.\n\n"
      "SOURCE is a disc image, a cue sheet, an Expert Witness evidence set (.E01) or a block "
      "device such as /dev/sr0. OUTPUT_FOLDER is created when missing; without it, files go "
      "to the output folder of the settings, else to ~/RecoveredByQuarn.",
      "Exit status: 0 completed; 1 completed, but a file could not be written whole; 2 bad "
      "usage, damaged settings, or a source that cannot be read or went away; 128 + the "
      "signal's number when a signal ended the run (130 Ctrl-C; the files so far are kept). "
      "With -o, the worst status of all the sources.\n\n"
      "The manual page (man orlenta-carve) tells of the report, disc images and batches."));
  app.add_option("SOURCE", words);
  app.add_option("-o,--output-root", options.outputRoot,
                 "carve every SOURCE into a new folder of its own under ROOT, named after the "
                 "source (disc.iso into ROOT/disc, or ROOT/disc-2 when that exists), and end "
                 "with a table of them all")
      ->type_name("ROOT");
  CLI::Option* jobs = app.add_option("-j,--jobs", options.jobs,
                                     "with -o, carve N sources at once (1 to 64; default 1)")
                          ->type_name("N")
                          ->check(WholeNumberFrom(1, 64));
  app.add_option("--summary-fd", options.summaryFd)->group("");
  app.add_option("--stem", options.stem,
                 "put STEM between number and extension of each file name (at most 3 "
                 "characters; default: the settings' stem, else REC)")
      ->type_name("STEM")
      ->check([](const std::string& stem) { return NameStemProblem(stem); });
  app.add_flag("-q,--quiet", options.quiet, "print no progress and no line per file");
  const std::map<std::string, LayoutChoice> layouts = {
      {"auto", LayoutChoice::kAuto}, {"plain", LayoutChoice::kPlain}, {"raw", LayoutChoice::kRaw}};
  app.add_option_function<std::string>(
         "--layout",
         [&options, layouts](const std::string& name) { options.layout = layouts.at(name); },
         "read an image file's sectors as LAYOUT: auto (raw when its first sectors carry "
         "the CD sync pattern, else plain; the default), plain (2,048-byte sectors) or raw "
         "(2,352 or 2,448-byte CD sectors, even with a damaged start)")
      ->type_name("LAYOUT")
      ->transform(Lowered())
      ->check(OneOf({"auto", "plain", "raw"}));
  app.add_option("--report", options.report,
                 "write a DFXML report naming every recovered file with its size, the bytes "
                 "of the image it came from and its SHA-256; with -o, the report's file name "
                 "in each source's folder")
      ->type_name("FILE");
  app.add_flag("--hash-source", options.hashSource,
               "take the SHA-256 of the whole source as it is read (no second read) and tell "
               "it in the summary and the report");
  auto* exact = app.add_flag("--exact", options.exact,
                             "end every file where its own structure says it ends, whenever "
                             "that can be followed; header-like sectors inside it stay in it");
  auto* moreKinds = app.add_flag(
      "--more-kinds", options.moreKinds,
      "also recover GIF87a, JPEG without APP0/APP1, MP4/M4A/3GP, QuickTime with ftyp, other "
      "MP3 tags, other BMP headers, MPEG-2/VOB, WMA/WMV, FLAC, Ogg, Matroska/WebM and camera "
      "raw files (CR2, NEF, ARW, DNG)");
  app.add_flag("--as-described", options.asDescribed,
               "ten kinds, every file running up to the next header, whatever the window's "
               "recovery setting says (the default when it says nothing); not with --exact "
               "or --more-kinds")
      ->excludes(exact)
      ->excludes(moreKinds);
  app.add_flag("--names", options.names,
               "Write every file the disc's own directories list (ISO 9660, Joliet, Rock "
               "Ridge) under its own path and date, in a folder named after the disc; carve "
               "only what they leave");
  app.add_flag("--skip-bad", options.skipBad,
               "after 8 unreadable sectors in a row, jump ahead (doubling while reads keep "
               "failing); what is jumped over is written as zeros and counted as skipped");
  app.add_option("--mapfile", options.mapfile,
                 "write a GNU ddrescue mapfile of what was read, bad and not tried, so that "
                 "ddrescue can retry the rest into an image (plain images and block devices); "
                 "with -o, the mapfile's file name in each source's folder")
      ->type_name("FILE");
  app.add_option("--speed", options.speed,
                 "ask an optical drive to read at N times a music CD's speed (a scratched disc "
                 "reads better slowly; default: the options file's speed=N, else the drive's "
                 "own choice)")
      ->type_name("N")
      ->check(CLI::Range(1, 255));
  app.add_flag("--no-audio", options.noAudio,
               "write no WAV file of a disc's audio tracks (by default each audio track of a "
               "cue sheet or drive becomes one, unless the options file says audio=off)");
  app.add_flag("--no-paranoia", options.noParanoia,
               "read a drive's audio tracks with the drive's plain reads, without the error "
               "correction that reads each stretch again until the reads agree (faster on a "
               "scratched disc, but misreads stay in; default: the options file's "
               "paranoia=off, else on)");
  CLI::Option* image =
      app.add_option(
             "--image", options.image,
             "keep the source's image in FILE as it is read (sparse where sectors could not be "
             "read), with a GNU ddrescue mapfile beside it (FILE.map, or --mapfile); given "
             "an image and mapfile of an earlier run, the run goes on: only sectors not yet "
             "read are read, and the files of the output folder are completed")
          ->type_name("FILE");
  app.add_option("--retries", options.retries,
                 "with --image: after the scan, go N more times over the sectors still not read, "
                 "one by one, backwards on every other pass")
      ->type_name("N")
      ->check(CLI::Range(0, 1000))
      ->needs(image);
  app.add_flag("--by-kind", options.byKind,
               "put each file in a folder of its kind inside the output folder, named after "
               "the kind's extension (jpg, png, mov, ...)");
  app.add_flag("--report-only", options.reportOnly,
               "write the report (--report) of every file found, but keep no file: each is "
               "carved into a temporary folder ($TMPDIR, else /tmp) for its size and digests "
               "and emptied at once; the report names the files as a run into an empty output "
               "folder would");
  AddFilterOptions(app, options);
  app.add_option("--table", options.tableRoot,
                 "carve nothing: print the table a batch closes with, of the runs whose "
                 "reports lie under ROOT at any depth, wherever each run was made")
      ->type_name("ROOT");
  app.set_help_flag("-h,--help", "display this help and exit");
  app.set_version_flag("-V,--version", std::string("orlenta-carve ") + ORLENTA_VERSION,
                       "output version information and exit");
  options.commandLine = CommandLineToRecord(argc, argv);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return FinishParseError(app, error, kExitUsage);
  }
  if (options.tableRoot) {
    if (words.empty()) return options;
    return UsageError("orlenta-carve", "--table reads reports: it takes no SOURCE", kExitUsage);
  }
  if (words.empty()) return UsageError("orlenta-carve", "SOURCE is required", kExitUsage);
  if (const std::string problem = CombinationProblem(options); !problem.empty()) {
    return UsageError("orlenta-carve", problem, kExitUsage);
  }
  if (const std::string problem = SortSources(words, jobs->count() > 0, options);
      !problem.empty()) {
    return UsageError("orlenta-carve", problem, kExitUsage);
  }
  return options;
}

}  // namespace orlenta
