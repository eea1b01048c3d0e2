// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "child_summary.h"
#include "dfxml_report.h"
#include "engine/chosen_rules.h"
#include "engine/options_file.h"
#include "engine/recovery_run.h"
#include "engine/settings_file.h"
#include "filesystems/named_recovery.h"
#include "interrupt.h"
#include "mapfile_keeper.h"
#include "platform/audio_tracks.h"
#include "platform/drive_map.h"
#include "platform/drives/drive_reads.h"
#include "platform/drives/speed_lowering.h"
#include "platform/posix_volume.h"
#include "platform/system_folders.h"
#include "printable_text.h"
#include "rescue_session.h"
#include "run_summary.h"
#include "source_digest.h"
#include "unkept_files.h"

namespace orlenta {
namespace {

struct Defaults {
  std::string folder;
  std::string stem;
};

int Refuse(ConsoleStreams streams, const std::string& what);

// How often the mapfile is saved during a run: a run that is killed loses at most this much
// of what its mapfile knows.
constexpr std::chrono::seconds kMapfileInterval{5};

// What the settings file says, when there is one; else the program's own defaults. A
// settings file that is there but cannot be read, or whose output folder is damaged, is
// refused (nullopt, after telling why) when its output folder is needed: files must never
// go to a place the user did not choose.
std::optional<Defaults> DefaultsFromSettings(bool folderNeeded, ConsoleStreams streams) {
  Defaults defaults{DefaultOutputFolder(), "REC"};
  const LoadedSettings settings = LoadSettings(SettingsPath());
  if (settings.status == SettingsStatus::kMissing) return defaults;
  const std::string advice = " (give an output folder on the command line)";
  if (settings.status == SettingsStatus::kUnreadable) {
    if (!folderNeeded) return defaults;
    Refuse(streams, SettingsPath() + ": cannot be read, or is not a plain file" + advice);
    return std::nullopt;
  }
  if (const std::string problem = OutputFolderProblem(settings); !problem.empty()) {
    if (!folderNeeded) return Defaults{defaults.folder, settings.record.NameStem()};
    Refuse(streams, SettingsPath() + ": " + problem + advice);
    return std::nullopt;
  }
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
  std::fprintf(streams.err, "orlenta-carve: %s\n", PrintableText(what).c_str());
  return kExitUsage;
}

// How to read `source` again once its layout is known: a drive's as it stands, so that its
// table of contents and its tracks' forms are read once a run.
ImageReading KnowingTheDrive(ImageReading how, const std::optional<SectorLayout>& layout) {
  if (layout && layout->inDrive) how.known = layout;
  return how;
}

// The source must open as a volume; a tail shorter than a sector is said to be ignored.
// Returns where the volume's sectors lie, nullopt after telling why it cannot be read.
std::optional<SectorLayout> CheckSource(const std::string& source, const ImageReading& how,
                                        ConsoleStreams streams) {
  VolumeOpenError error;
  std::optional<SectorLayout> layout = DescribePosixVolume(source, &error, how);
  const std::unique_ptr<Volume> volume =
      layout ? OpenPosixVolume(source, &error, KnowingTheDrive(how, layout)) : nullptr;
  if (!volume) layout.reset();
  if (!layout) {
    std::string why = source + ": " + error.reason;
    if (error.errnum != 0) why += std::string(" (") + std::strerror(error.errnum) + ")";
    Refuse(streams, why);
    return std::nullopt;
  }
  if (!layout->note.empty()) {
    std::fprintf(streams.err, "orlenta-carve: %s: %s\n", source.c_str(), layout->note.c_str());
  }
  if (layout->forcedWithoutSync) {
    std::fprintf(streams.err,
                 "orlenta-carve: %s: read as raw CD sectors as asked, though none of the sectors "
                 "looked at carries the CD sync pattern; without --layout raw it is read as a "
                 "plain image\n",
                 PrintableText(source).c_str());
  }
  struct stat info {};
  // Only for an image read whole; a cue sheet's track ends where the sheet says, and an
  // evidence set's medium where the set says.
  if (layout->dataPath == source && layout->container == Container::kNone &&
      ::stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    const auto tail = static_cast<uint64_t>(info.st_size) % layout->stride;
    if (tail != 0) {
      std::fprintf(streams.err,
                   "orlenta-carve: %s: size is not a multiple of %u bytes; the last %llu "
                   "bytes are ignored\n",
                   PrintableText(source).c_str(), layout->stride,
                   static_cast<unsigned long long>(tail));
    }
  }
  return layout;
}

// The size of the file or device the sectors are read from; of the medium in a container.
uint64_t ImageBytes(const SectorLayout& layout) {
  if (layout.container != Container::kNone) return layout.sectorCount * layout.sectorSize;
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
                  RunOutcome outcome, const std::optional<NamedDigests>& sourceDigests,
                  uint64_t sourceBytesHashed, ConsoleStreams streams) {
  ReportRunEnd end;
  end.sourceHashAsked = options.hashSource;
  end.sourceDigests = sourceDigests;
  end.sourceBytesHashed = sourceBytesHashed;
  end.end = std::time(nullptr);
  end.completed = outcome == RunOutcome::kCompleted;
  end.sectorsScanned = run.Reader().SectorsReached();
  end.sectorsUnreadable = run.Reader().UnreadableSectors();
  end.sectorsSkipped = run.Reader().SkippedSectors();
  if (report.Finish(end)) return true;
  const char* why = report.Error() != 0 ? std::strerror(report.Error()) : "write failed";
  std::fprintf(streams.err, "orlenta-carve: %s: the report could not be written whole (%s)\n",
               PrintableText(*options.report).c_str(), why);
  return false;
}

// The mapfile asked for, its first version written, nullopt after telling why not: it must
// not exist yet, and the source's sectors must lie one after another from its first byte (a
// rescue tool counts the source's bytes; an evidence set's sectors are not its files' bytes).
std::optional<MapfileKeeper> BeginMapfile(const CarveOptions& options, const SectorLayout& layout,
                                          ConsoleStreams streams) {
  if (layout.rawMode != RawMode::kNone || layout.firstByte != 0 || !layout.Contiguous() ||
      layout.dataPath != options.source || layout.container != Container::kNone) {
    Refuse(streams, *options.mapfile +
                        ": a mapfile is written only for plain images and block devices, whose "
                        "sectors are the source's bytes");
    return std::nullopt;
  }
  MapfileRun about{layout.sectorCount, layout.sectorSize, options.commandLine, {}};
  const std::time_t start = std::time(nullptr);
  char when[32];
  std::tm local{};
  localtime_r(&start, &local);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  about.startTime = when;
  MapfileKeeper keeper(*options.mapfile, about);
  if (const int error = keeper.Create(); error != 0) {
    Refuse(streams, *options.mapfile + ": cannot write the mapfile (" + std::strerror(error) + ")");
    return std::nullopt;
  }
  return keeper;
}

// Writes the mapfile's last version; false after telling that it could not be written.
bool FinishMapfile(MapfileKeeper& mapfile, const RecoveryRun& run, ConsoleStreams streams) {
  if (mapfile.Save(run.Reader().Map())) return true;
  std::fprintf(streams.err, "orlenta-carve: %s: the mapfile could not be written whole\n",
               PrintableText(mapfile.Path()).c_str());
  return false;
}

// The drive speed asked for: --speed, else the options file's "speed=N" (1 to 255).
std::optional<int> SpeedWanted(const CarveOptions& options) {
  if (options.speed) return options.speed;
  return DriveSpeedWanted(OptionsPathBeside(SettingsPath()));
}

// What the run tells of an optical drive's speed lowered after read errors: a line at
// once, and the lowest speed in the summary. Told on the thread that reads.
class SpeedNotes {
 public:
  SpeedNotes(std::string source, ConsoleStreams streams)
      : source_(std::move(source)), streams_(streams) {}
  void SetHost(ConsoleHost* host) { host_ = host; }
  void Tell(const SpeedLowered& lowered) {
    const std::lock_guard hold(mutex_);
    lowest_ = lowered.speed;
    refused_ = lowered.refused;
    const std::string line =
        source_ + ": read errors: " +
        (lowered.refused
             ? "the drive would not read slower (asked for " + std::to_string(lowered.speed) + "x)"
             : "the drive's speed is lowered to " + std::to_string(lowered.speed) + "x");
    if (host_) {
      host_->Note(line);
    } else {
      std::fprintf(streams_.err, "orlenta-carve: %s\n", PrintableText(line).c_str());
    }
  }
  // The speed the drive was last asked for: the last lowering, else `asked`.
  std::optional<int> SpeedNow(std::optional<int> asked) {
    const std::lock_guard hold(mutex_);
    return lowest_ ? lowest_ : asked;
  }
  void AddTo(RunSummary& summary) {
    const std::lock_guard hold(mutex_);
    summary.speedLowered = lowest_;
    summary.speedRefused = refused_;
  }

 private:
  std::mutex mutex_;
  std::string source_;
  ConsoleStreams streams_;
  ConsoleHost* host_ = nullptr;
  std::optional<int> lowest_;
  bool refused_ = false;
};

// Whether the disc's audio tracks become WAV files: not with --no-audio, nor when the
// options file turns them off.
bool AudioWanted(const CarveOptions& options) {
  return !options.noAudio && AudioTracksWanted(OptionsPathBeside(SettingsPath()));
}

// How a drive's audio is read: through the error correction unless --no-paranoia or the
// options file turns it off (`withoutCorrection` set when libcdio cannot open the drive for
// it); its failing reads lower the drive's speed further, from where the data's reads left
// it.
DriveAudioReading AudioReading(const CarveOptions& options, const SectorLayout& layout,
                               SpeedNotes& speedNotes, bool& withoutCorrection) {
  DriveAudioReading how;
  how.paranoia =
      !options.noParanoia && AudioErrorCorrectionWanted(OptionsPathBeside(SettingsPath()));
  how.withoutCorrection = [&withoutCorrection] { withoutCorrection = true; };
  if (layout.inDrive) {
    how.readFailed = LowerSpeedOnAudioErrors(
        layout.dataPath, speedNotes.SpeedNow(SpeedWanted(options)),
        [&speedNotes](const SpeedLowered& lowered) { speedNotes.Tell(lowered); });
  }
  return how;
}

// The reader `open` makes, made at the first read: a track that is not read again (a rescue
// that goes on, whose earlier run wrote it whole) does not open the drive for it.
AudioFrameReader OpenedAtFirstRead(std::function<AudioFrameReader()> open) {
  auto opened = std::make_shared<AudioFrameReader>();
  return [open = std::move(open), opened](uint64_t first, uint32_t count, std::span<uint8_t> into,
                                          std::span<FrameState> states) {
    if (!*opened) *opened = open();
    return *opened && (*opened)(first, count, into, states);
  };
}

// Writes each audio track of the disc as a WAV file in `folder`, by track number, read as
// `how` says; with a `rescue`, as a run that goes on from earlier ones. Returns what became of
// each, by track number; a track not written whole is told as a file error.
std::map<int, AudioTrackResult> WriteAudioTracks(const SectorLayout& layout,
                                                 const std::string& folder,
                                                 const DriveAudioReading& how, RunHost& host,
                                                 RescueSession* rescue) {
  std::map<int, AudioTrackResult> written;
  for (const DiscTrack& track : layout.tracks) {
    if (track.kind != TrackKind::kAudio) continue;
    // A stop is heard between tracks: a track is never left half written.
    if (InterruptRequested()) break;
    const AudioFrameReader read =
        OpenedAtFirstRead([&] { return AudioReaderFor(layout, track, how); });
    AudioTrackResult result =
        rescue ? rescue->WriteAudioTrack(track, read)
               : WriteAudioTrack(folder, track.number, track.title, track.sectorCount, read);
    if (result.errnum != 0) {
      host.FileError(result.path.empty() ? folder + AudioTrackFileName(track.number, track.title)
                                         : result.path,
                     result.errnum);
    }
    written[track.number] = std::move(result);
  }
  return written;
}

// What a run that goes on did with an earlier run's file of a track, as the summary says it.
const char* EarlierTrackWords(AudioTrackResult::Earlier earlier) {
  using Earlier = AudioTrackResult::Earlier;
  switch (earlier) {
    case Earlier::kNone:
      return "";
    case Earlier::kKept:
      return ", kept from an earlier run";
    case Earlier::kMended:
      return ", mended";
    case Earlier::kNoBetter:
      return ", read again, no frame better";
    case Earlier::kMendedBeside:
      return ", mended beside the file changed since";
    case Earlier::kChanged:
      return ", changed since an earlier run wrote it, left as it is";
  }
  return "";
}

// A track's line in the summary: where it lies, and for an audio track what became of it.
std::string TrackLine(const DiscTrack& track, const std::map<int, AudioTrackResult>& audio) {
  std::string line = DescribeTrack(track);
  if (track.kind != TrackKind::kAudio) return line;
  const auto found = audio.find(track.number);
  if (found == audio.end()) return line + ", not written";
  const AudioTrackResult& result = found->second;
  if (result.errnum != 0) return line + ", could not be written whole";
  line += ", " + std::filesystem::path(result.path).filename().string();
  line += EarlierTrackWords(result.earlier);
  if (result.framesUnread > 0) {
    line += ", " + std::to_string(result.framesUnread) + " frames unreadable (silence)";
  }
  if (result.framesUnrepaired > 0) {
    line += ", " + std::to_string(result.framesUnrepaired) + " frames could not be repaired";
  }
  return line;
}

// The folders that creating `folder` would make, the deepest first.
std::vector<std::filesystem::path> MissingFolders(const std::string& folder) {
  std::vector<std::filesystem::path> missing;
  std::error_code error;
  std::filesystem::path at = std::filesystem::absolute(folder, error).lexically_normal();
  if (!at.has_filename()) at = at.parent_path();  // "out/"
  while (at.has_relative_path() &&
         !std::filesystem::exists(std::filesystem::symlink_status(at, error))) {
    missing.push_back(at);
    at = at.parent_path();
  }
  return missing;
}

// Takes away the folders a run made and left empty (a folder holding anything stays).
void DropEmptyFolders(const std::vector<std::filesystem::path>& made) {
  for (const std::filesystem::path& folder : made) {
    if (::rmdir(folder.c_str()) != 0) return;
  }
}

// The report of a run with an image: every file of the output folder, earlier runs' too.
bool FinishRescueReport(RescueSession& rescue, const CarveOptions& options,
                        const SectorLayout& layout, const RecoveryRun& run, RunOutcome outcome,
                        const std::map<int, AudioTrackResult>& audio, std::time_t start,
                        ConsoleStreams streams) {
  ReportRunEnd end;
  end.end = std::time(nullptr);
  end.completed = outcome == RunOutcome::kCompleted;
  end.sectorsScanned = run.Reader().SectorsReached();
  if (rescue.WriteReport({options.source, layout, ImageBytes(layout)}, start, end, audio)) {
    return true;
  }
  std::fprintf(streams.err, "orlenta-carve: %s: the report could not be written whole\n",
               PrintableText(*options.report).c_str());
  return false;
}

RunSummary Summarise(const RecoveryRun& run, const NamedRecovery* named, double seconds,
                     const std::optional<std::string>& sourceSha256,
                     const std::optional<NamedDigests>& sourceDigests, const SectorLayout& layout,
                     const std::map<int, AudioTrackResult>& audio) {
  RunSummary summary;
  if (named) {
    summary.namesAsked = true;
    summary.namedFolder = named->Root();
    summary.namedWhole = named->FilesWhole();
    summary.namedOlder = named->FilesFromOlderSessions();
    summary.namedDeleted = named->FilesDeleted();
    summary.namedDamaged = named->FilesDamaged();
    summary.namedFailed = named->FilesFailed();
    summary.directoryProblems = named->Listing().problems;
  }
  for (const DiscTrack& track : layout.tracks) summary.tracks.push_back(TrackLine(track, audio));
  summary.filesPerKind = run.Carver().FilesWrittenWhole();
  summary.endsFollowed = run.Carver().Rules().FollowsStructures();
  summary.verifiedPerKind = run.Carver().FilesVerified();
  summary.unverifiedFiles = run.Carver().UnverifiedFiles();
  summary.incompleteFiles = run.Carver().IncompleteFiles();
  summary.filesNotCreated = run.Carver().FilesNotCreated();
  summary.sectorsScanned = run.Reader().SectorsReached();
  summary.sectorsTotal = TotalSectors;
  summary.sectorsUnreadable = run.Reader().UnreadableSectors();
  summary.sectorsSkipped = run.Reader().SkippedSectors();
  summary.sectorSize = DriveGeometry.bytesPerSector;
  summary.elapsedSeconds = seconds;
  summary.sourceSha256 = sourceSha256;
  if (sourceDigests && sourceDigests->size() > 1) {
    summary.sourceOtherDigests.assign(sourceDigests->begin() + 1, sourceDigests->end());
  }
  return summary;
}

// Each of `paths` under `carved` as if it lay under `shown`: the summary of a run that keeps
// no file names them as the report does.
void NameAsIn(const std::string& carved, const std::string& shown,
              std::vector<std::string>& paths) {
  for (std::string& path : paths) {
    if (path.starts_with(carved)) path = shown + path.substr(carved.size());
  }
}

bool Scanned(RunOutcome outcome) {
  return outcome == RunOutcome::kCompleted || outcome == RunOutcome::kAborted ||
         outcome == RunOutcome::kUnreadable || outcome == RunOutcome::kMediumGone;
}

// Says why a run that scanned did not complete, when the source is to blame.
void TellSourceFailure(RunOutcome outcome, const CarveOptions& options, const RecoveryRun& run,
                       ConsoleStreams streams) {
  if (outcome == RunOutcome::kUnreadable) {
    std::fprintf(streams.err, "orlenta-carve: %s: no sector could be read\n",
                 PrintableText(options.source).c_str());
  } else if (outcome == RunOutcome::kMediumGone) {
    std::fprintf(streams.err,
                 "orlenta-carve: %s: the medium went away (it ends before sector %llu of "
                 "%llu); the files keep what was read\n",
                 PrintableText(options.source).c_str(),
                 static_cast<unsigned long long>(run.Reader().SectorsReached()),
                 static_cast<unsigned long long>(TotalSectors));
  }
}

int ExitStatus(RunOutcome outcome, const ConsoleHost& host) {
  if (outcome == RunOutcome::kAborted) {
    return InterruptRequested() ? kExitSignalBase + InterruptSignal() : kExitUsage;
  }
  if (outcome != RunOutcome::kCompleted) return kExitUsage;
  return host.ShowedError() ? kExitFileErrors : kExitCompleted;
}

// Tells the run's summary: on stderr, or to the batch that started this run.
void TellSummary(const CarveOptions& options, const RunSummary& summary, ConsoleStreams streams) {
  if (!options.summaryFd) {
    std::fputs(FormatSummary(summary).c_str(), streams.err);
    return;
  }
  const std::string text = EncodeSummary(summary);
  // A batch that went away only loses the table; the run's files are written already.
  for (std::size_t at = 0; at < text.size();) {
    const ssize_t wrote = ::write(*options.summaryFd, text.data() + at, text.size() - at);
    if (wrote <= 0) break;
    at += static_cast<std::size_t>(wrote);
  }
}

}  // namespace

// Creates the folder when missing; it must end up a folder we can write into. A folder
// that cannot even be looked at (a name too long, a parent without rights) is told as such.
bool PrepareOutputFolder(const std::string& folder, ConsoleStreams streams) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::error_code looked;
  if (!std::filesystem::is_directory(folder, looked)) {
    if (!error) error = looked;
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

int RunCarveJob(const CarveOptions& options, ConsoleStreams streams, bool showProgress) {
  const std::optional<Defaults> settings =
      DefaultsFromSettings(!options.outputFolder.has_value() && !options.reportOnly, streams);
  if (!settings) return kExitUsage;
  const Defaults& defaults = *settings;
  const std::string stem = options.stem.value_or(defaults.stem);
  if (const std::string problem = NameStemProblem(stem); !problem.empty()) {
    // A stem typed with --stem was checked already; this one comes from the settings file.
    return Refuse(streams, SettingsPath() + ": name stem \"" + stem + "\": " + problem +
                               " (give another with --stem)");
  }
  const std::string folder = options.outputFolder.value_or(defaults.folder);
  SpeedNotes speedNotes(options.source, streams);
  const ImageReading how{
      .track = std::nullopt,
      .layout = options.layout,
      .speed = SpeedWanted(options),
      .speedLowered = [&speedNotes](const SpeedLowered& lowered) { speedNotes.Tell(lowered); }};
  const std::optional<SectorLayout> layout = CheckSource(options.source, how, streams);
  if (!layout) return kExitUsage;
  const ImageReading reading = KnowingTheDrive(how, layout);
  // A run refused before it starts leaves nothing behind: no folder, no mapfile, no report.
  // A run that keeps no file makes no output folder: its files go to a temporary one.
  const std::vector<std::filesystem::path> madeFolders =
      options.reportOnly ? std::vector<std::filesystem::path>{} : MissingFolders(folder);
  if (!options.reportOnly && !PrepareOutputFolder(folder, streams)) return kExitUsage;
  DfxmlReport report(options.digests);
  UnkeptFiles unkept(&report);
  if (options.reportOnly) {
    if (const int error = unkept.Create(); error != 0) {
      return Refuse(streams, std::string("cannot make a temporary folder for the files (") +
                                 std::strerror(error) + ")");
    }
    report.NameCarvedFilesAs(unkept.Folder(), WithTrailingSeparator(folder));
  }
  DriveMap drives;
  drives.Assign(ConsoleHost::kDrive, options.source, reading);
  // With an image kept, it carries the mapfile, and the report is written at the end from
  // the record of every file.
  std::unique_ptr<RescueSession> rescue;
  if (options.image) {
    rescue = std::make_unique<RescueSession>(options, folder, stem, streams);
    if (!rescue->Begin(*layout, drives)) {
      DropEmptyFolders(madeFolders);
      return kExitUsage;
    }
  }
  std::optional<MapfileKeeper> mapfile;
  if (options.mapfile && !rescue && !(mapfile = BeginMapfile(options, *layout, streams))) {
    DropEmptyFolders(madeFolders);
    return kExitUsage;
  }
  if (options.report && !rescue && !BeginReport(report, options, *layout, streams)) {
    if (mapfile) mapfile->Remove();
    DropEmptyFolders(madeFolders);
    return kExitUsage;
  }
  const std::string carveFolder = options.reportOnly ? unkept.Folder()
                                  : rescue           ? rescue->CarveFolder()
                                                     : folder;
  ConsoleHost host(WithTrailingSeparator(carveFolder), stem, options.quiet, showProgress, streams);
  speedNotes.SetHost(&host);
  // In a batch, the batch tells how each source ended.
  if (options.summaryFd) host.HideRunEnd();
  if ((rescue && rescue->Staging()) || options.reportOnly) host.HideFileLines();
  if (options.byKind) host.SortByKind();
  RecoveryRun run(rescue ? rescue->Volumes() : drives, host);
  const ChosenRules rules = RulesFor(options);
  run.SetRules(rules);
  run.SetFilter(options.filter);
  host.Watch(run);
  if (options.report && !rescue) {
    run.SetCarveObserver(options.reportOnly ? static_cast<CarveObserver*>(&unkept) : &report);
  }
  if (rescue) run.SetCarveObserver(&rescue->Recorder());
  // Through an image, bad zones are jumped over where the image is read.
  run.SkipBadZones(options.skipBad && !rescue);
  if (mapfile) {
    host.CallEvery(kMapfileInterval, [&mapfile, &run] { mapfile->Save(run.Reader().Map()); });
  }
  SourceDigest digest(options.digests);
  if (options.hashSource) run.SetVolumeReadObserver(&digest);
  NamedRecovery named;
  if (options.names) run.SetListedFiles(&named);
  if (options.names && options.report) named.SetObserver(&report);
  const std::time_t startTime = std::time(nullptr);
  const auto start = std::chrono::steady_clock::now();
  // The retries of the sectors still missing and the disc's music are read once the scan is
  // over, before the run's closing words; a run refused before its scan only keeps its
  // image's record.
  bool rescueKept = true;
  std::optional<std::chrono::duration<double>> elapsed;  // the reading of the medium's data
  std::map<int, AudioTrackResult> audio;
  bool audioWithoutCorrection = false;
  host.AfterScan([&](bool completed) {
    if (rescue) rescueKept = rescue->Finish(completed, rules);
    elapsed = std::chrono::steady_clock::now() - start;
    if (!completed || InterruptRequested() || !AudioWanted(options) || options.reportOnly) return;
    audio = WriteAudioTracks(*layout, WithTrailingSeparator(folder),
                             AudioReading(options, *layout, speedNotes, audioWithoutCorrection),
                             host, rescue.get());
    if (options.report && !rescue) report.AudioTracksWritten(audio);
    if (rescue && !rescue->KeepRecord()) rescueKept = false;
  });
  const RunOutcome outcome = run.RunRecovery();
  if (!elapsed) {
    if (rescue) rescueKept = rescue->Finish(false, rules);
    elapsed = std::chrono::steady_clock::now() - start;
  }
  std::optional<NamedDigests> sourceDigests;
  std::optional<std::string> sourceSha256;
  if (options.hashSource) {
    sourceDigests = digest.Digest(TotalSectors);
    if (sourceDigests) sourceSha256 = sourceDigests->front().second;
  }
  if (Scanned(outcome)) {
    const auto told = options.hashSource ? std::optional(sourceSha256.value_or("")) : std::nullopt;
    RunSummary summary = Summarise(run, options.names ? &named : nullptr, elapsed->count(), told,
                                   sourceDigests, *layout, audio);
    // Through an image, what the medium still owes is the image's to tell: its bad and
    // untried sectors, earlier runs' included.
    speedNotes.AddTo(summary);
    summary.audioWithoutCorrection = audioWithoutCorrection;
    if (rescue) rescue->CountUnread(summary.sectorsUnreadable, summary.sectorsSkipped);
    if (options.reportOnly) {
      NameAsIn(unkept.Folder(), WithTrailingSeparator(folder), summary.unverifiedFiles);
      NameAsIn(unkept.Folder(), WithTrailingSeparator(folder), summary.incompleteFiles);
    }
    TellSummary(options, summary, streams);
    if (rescue && !options.summaryFd) std::fputs(rescue->SummaryLines().c_str(), streams.err);
  }
  TellSourceFailure(outcome, options, run, streams);
  if (outcome == RunOutcome::kNotReady || outcome == RunOutcome::kUnreadable) {
    DropEmptyFolders(madeFolders);
  }
  int status = ExitStatus(outcome, host);
  if (!rescueKept && status == kExitCompleted) status = kExitFileErrors;
  if (rescue && options.report &&
      !FinishRescueReport(*rescue, options, *layout, run, outcome, audio, startTime, streams)) {
    status = status == kExitCompleted ? kExitFileErrors : status;
  }
  if (mapfile && !FinishMapfile(*mapfile, run, streams)) {
    status = status == kExitCompleted ? kExitFileErrors : status;
  }
  if (options.report && !rescue &&
      !FinishReport(report, options, run, outcome, sourceDigests, digest.BytesHashed(), streams)) {
    return status == kExitCompleted ? kExitFileErrors : status;
  }
  return status;
}

}  // namespace orlenta
