// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "dfxml_report.h"
#include "engine/chosen_rules.h"
#include "engine/recovery_run.h"
#include "engine/settings_file.h"
#include "interrupt.h"
#include "platform/drive_map.h"
#include "platform/posix_volume.h"
#include "platform/system_folders.h"
#include "run_summary.h"

namespace orlenta {
namespace {

struct Defaults {
  std::string folder;
  std::string stem;
};

// What the settings file says, when there is one; else the program's own defaults.
Defaults DefaultsFromSettings() {
  Defaults defaults{DefaultOutputFolder(), "REC"};
  const LoadedSettings settings = LoadSettings(SettingsPath());
  if (settings.status != SettingsStatus::kLoaded) return defaults;
  if (!settings.record.OutputFolder().empty()) defaults.folder = settings.record.OutputFolder();
  defaults.stem = settings.record.NameStem();
  return defaults;
}

// What the flags ask for; with none of them, the choice the window's options file holds.
ChosenRules RulesFor(const CarveOptions& options) {
  if (options.exact || options.moreKinds || options.asDescribed) {
    return ChosenRules(options.exact, options.moreKinds);
  }
  return ChosenRules(LoadRecoveryChoice(OptionsPathBeside(SettingsPath())));
}

int Refuse(ConsoleStreams streams, const std::string& what) {
  std::fprintf(streams.err, "orlenta-carve: %s\n", what.c_str());
  return kExitUsage;
}

// The source must open as a volume; a tail shorter than a sector is said to be ignored.
// Returns where the volume's sectors lie, nullopt after telling why it cannot be read.
std::optional<SectorLayout> CheckSource(const std::string& source, ConsoleStreams streams) {
  VolumeOpenError error;
  const std::unique_ptr<Volume> volume = OpenPosixVolume(source, &error);
  const std::optional<SectorLayout> layout =
      volume ? DescribePosixVolume(source, &error) : std::nullopt;
  if (!layout) {
    std::string why = source + ": " + error.reason;
    if (error.errnum != 0) why += std::string(" (") + std::strerror(error.errnum) + ")";
    Refuse(streams, why);
    return std::nullopt;
  }
  struct stat info {};
  // Only for an image read whole; a cue sheet's track ends where the sheet says.
  if (layout->dataPath == source && ::stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    const auto tail = static_cast<uint64_t>(info.st_size) % layout->stride;
    if (tail != 0) {
      std::fprintf(streams.err,
                   "orlenta-carve: %s: size is not a multiple of %u bytes; the last %llu "
                   "bytes are ignored\n",
                   source.c_str(), layout->stride, static_cast<unsigned long long>(tail));
    }
  }
  return layout;
}

// The size of the file or device the sectors are read from.
uint64_t ImageBytes(const SectorLayout& layout) {
  const int fd = ::open(layout.dataPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const off_t end = ::lseek(fd, 0, SEEK_END);
  ::close(fd);
  return end > 0 ? static_cast<uint64_t>(end) : 0;
}

// Starts the report when one is asked for; false after telling why it cannot be written.
bool BeginReport(DfxmlReport& report, const CarveOptions& options, const SectorLayout& layout,
                 ConsoleStreams streams) {
  const ReportSource source{options.source, layout, ImageBytes(layout)};
  if (report.Begin(*options.report, source, options.commandLine, std::time(nullptr))) return true;
  Refuse(streams,
         *options.report + ": cannot write the report (" + std::strerror(report.Error()) + ")");
  return false;
}

// Ends the report; false after telling that it could not be written whole.
bool FinishReport(DfxmlReport& report, const CarveOptions& options, const RecoveryRun& run,
                  RunOutcome outcome, ConsoleStreams streams) {
  ReportRunEnd end;
  end.end = std::time(nullptr);
  end.completed = outcome == RunOutcome::kCompleted;
  end.sectorsScanned = run.Reader().SectorsReached();
  end.sectorsUnreadable = run.Reader().UnreadableSectors();
  if (report.Finish(end)) return true;
  const char* why = report.Error() != 0 ? std::strerror(report.Error()) : "write failed";
  std::fprintf(streams.err, "orlenta-carve: %s: the report could not be written whole (%s)\n",
               options.report->c_str(), why);
  return false;
}

// Creates the folder when missing; it must end up a folder we can write into.
bool PrepareOutputFolder(const std::string& folder, ConsoleStreams streams) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    Refuse(streams, folder + ": cannot create the output folder" +
                        (error ? " (" + error.message() + ")" : ""));
    return false;
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    Refuse(streams,
           folder + ": cannot write into the output folder (" + std::strerror(errno) + ")");
    return false;
  }
  return true;
}

RunSummary Summarise(const RecoveryRun& run, double seconds) {
  RunSummary summary;
  summary.filesPerKind = run.Carver().FilesStarted();
  summary.endsFollowed = run.Carver().Rules().FollowsStructures();
  summary.verifiedPerKind = run.Carver().FilesVerified();
  summary.unverifiedFiles = run.Carver().UnverifiedFiles();
  summary.sectorsScanned = run.Reader().SectorsReached();
  summary.sectorsTotal = TotalSectors;
  summary.sectorsUnreadable = run.Reader().UnreadableSectors();
  summary.sectorSize = DriveGeometry.bytesPerSector;
  summary.elapsedSeconds = seconds;
  return summary;
}

int ExitStatus(RunOutcome outcome, const ConsoleHost& host) {
  if (outcome == RunOutcome::kAborted) return InterruptRequested() ? kExitInterrupted : kExitUsage;
  if (outcome != RunOutcome::kCompleted) return kExitUsage;
  return host.ShowedError() ? kExitFileErrors : kExitCompleted;
}

}  // namespace

int RunCarveJob(const CarveOptions& options, ConsoleStreams streams, bool showProgress) {
  const Defaults defaults = DefaultsFromSettings();
  const std::string stem = options.stem.value_or(defaults.stem);
  if (const std::string problem = NameStemProblem(stem); !problem.empty()) {
    // A stem typed with --stem was checked already; this one comes from the settings file.
    return Refuse(streams, SettingsPath() + ": name stem \"" + stem + "\": " + problem +
                               " (give another with --stem)");
  }
  const std::string folder = options.outputFolder.value_or(defaults.folder);
  const std::optional<SectorLayout> layout = CheckSource(options.source, streams);
  if (!layout || !PrepareOutputFolder(folder, streams)) return kExitUsage;
  DfxmlReport report;
  if (options.report && !BeginReport(report, options, *layout, streams)) return kExitUsage;
  DriveMap drives;
  drives.Assign(ConsoleHost::kDrive, options.source);
  ConsoleHost host(WithTrailingSeparator(folder), stem, options.quiet, showProgress, streams);
  RecoveryRun run(drives, host);
  const ChosenRules rules = RulesFor(options);
  run.SetRules(rules);
  host.Watch(run);
  if (options.report) run.SetCarveObserver(&report);
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome outcome = run.RunRecovery();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (outcome == RunOutcome::kCompleted || outcome == RunOutcome::kAborted) {
    std::fputs(FormatSummary(Summarise(run, elapsed.count())).c_str(), streams.err);
  }
  const int status = ExitStatus(outcome, host);
  if (options.report && !FinishReport(report, options, run, outcome, streams)) {
    return status == kExitCompleted ? kExitFileErrors : status;
  }
  return status;
}

}  // namespace orlenta
