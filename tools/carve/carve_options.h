// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/file_filter.h"
#include "engine/filter_words.h"
#include "platform/image_reading.h"

namespace orlenta {

// Every option that shapes a single run reaches each source of a batch too (see
// ChildArguments in batch_run.cpp): a new one must be passed on there.
struct CarveOptions {
  std::string source;                       // image file or block device
  std::optional<std::string> outputFolder;  // default: the settings' folder
  // The batch form, -o ROOT: every source, in order, each carved into a folder of its own
  // under `outputRoot`, `jobs` of them at once.
  std::vector<std::string> sources;
  std::optional<std::string> outputRoot;
  unsigned jobs = 1;
  // --table ROOT: no carving, the table of the runs whose reports lie under ROOT.
  std::optional<std::string> tableRoot;
  // A source carved for a batch tells its summary on this descriptor instead of stderr.
  std::optional<int> summaryFd;
  std::optional<std::string> stem;  // default: the settings' stem, else "REC"
  bool quiet = false;
  LayoutChoice layout = LayoutChoice::kAuto;  // how an image file's sectors are taken
  std::optional<std::string> report;          // where to write the DFXML report, when asked for
  // How files are told and ended. With none of the three flags, the choice stored in the
  // options file decides (as described when there is none).
  bool exact = false;                  // cut files where their own structure says they end
  bool moreKinds = false;              // tell the wider set of kinds
  bool asDescribed = false;            // neither, whatever the options file says
  bool skipBad = false;                // jump over zones of bad sectors
  bool names = false;                  // write the files the disc's directory lists by name
  std::optional<std::string> mapfile;  // where to write a rescue tool's mapfile, when asked for
  bool hashSource = false;             // take the SHA-256 of the whole source as it is read
  // Keep the source's image while carving, with its mapfile (`mapfile`, else the image's
  // path with ".map"); given again, the run goes on from where the image stands.
  std::optional<std::string> image;
  unsigned retries = 0;      // passes over the sectors still not read, after the scan
  std::string commandLine;   // the words the program was started with, for the report
  std::optional<int> speed;  // an optical drive's read speed; else the options file's
  bool noAudio = false;      // no WAV files of audio tracks, whatever the options file says
  bool noParanoia = false;   // a drive's audio read without error correction, likewise
  bool byKind = false;       // each file in a folder of its kind inside the output folder
  bool reportOnly = false;   // carve and report every file, but keep none of them
  // Which files are written (--kinds, --min-size, --min-pixels).
  FileFilter filter;
  // The digests taken beside SHA-256 ("md5", "sha1"), of each file and of the source.
  std::vector<std::string> digests;
  // The options above as given, passed on to each source of a batch.
  std::vector<std::string> passedOn;
};

// Exit statuses of orlenta-carve.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFileErrors = 1;  // the scan ran, but a file could not be written
inline constexpr int kExitUsage = 2;       // bad usage, or the source cannot be read
// Ended by a signal (Ctrl-C, SIGTERM, SIGHUP, a closed stdout): this plus its number.
inline constexpr int kExitSignalBase = 128;

// Why `name` cannot be the value of --report or --mapfile (`what`: "report", "mapfile") in
// the batch form, where it names that file inside each source's folder ("" when it can): a
// file name, not a path.
std::string BatchFileNameProblem(const std::string& what, const std::string& name);

// The options of the command line, or the exit status to end with at once (after --help,
// --version, or a usage error, which has then been printed).
std::variant<CarveOptions, int> ParseCarveOptions(int argc, const char* const* argv);

// Why `stem` cannot be a name stem ("" when it can): at most 3 characters, no separator.
std::string NameStemProblem(const std::string& stem);

}  // namespace orlenta
