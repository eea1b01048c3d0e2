#include "carve_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>

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

int Refuse(ConsoleStreams streams, const std::string& what) {
  std::fprintf(streams.err, "orlenta-carve: %s\n", what.c_str());
  return kExitUsage;
}

// The source must open as a volume; a tail shorter than a sector is said to be ignored.
bool CheckSource(const std::string& source, ConsoleStreams streams) {
  VolumeOpenError error;
  const std::unique_ptr<Volume> volume = OpenPosixVolume(source, &error);
  if (!volume) {
    std::string why = source + ": " + error.reason;
    if (error.errnum != 0) why += std::string(" (") + std::strerror(error.errnum) + ")";
    Refuse(streams, why);
    return false;
  }
  struct stat info {};
  if (::stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    const auto tail = static_cast<uint64_t>(info.st_size) % volume->SectorSize();
    if (tail != 0) {
      std::fprintf(streams.err,
                   "orlenta-carve: %s: size is not a multiple of %u bytes; the last %llu "
                   "bytes are ignored\n",
                   source.c_str(), volume->SectorSize(), static_cast<unsigned long long>(tail));
    }
  }
  return true;
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
  if (!CheckSource(options.source, streams) || !PrepareOutputFolder(folder, streams)) {
    return kExitUsage;
  }
  DriveMap drives;
  drives.Assign(ConsoleHost::kDrive, options.source);
  ConsoleHost host(WithTrailingSeparator(folder), stem, options.quiet, showProgress, streams);
  RecoveryRun run(drives, host);
  host.Watch(run);
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome outcome = run.RunRecovery();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (outcome == RunOutcome::kCompleted || outcome == RunOutcome::kAborted) {
    std::fputs(FormatSummary(Summarise(run, elapsed.count())).c_str(), streams.err);
  }
  return ExitStatus(outcome, host);
}

}  // namespace orlenta
