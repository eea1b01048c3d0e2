// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_session.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "interrupt.h"
#include "rescue_retries.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

RescuePlan PlanOf(const CarveOptions& options, const std::string& folder, std::string stem) {
  RescuePlan plan;
  plan.image = *options.image;
  plan.mapfile = options.mapfile.value_or(*options.image + ".map");
  plan.folder = folder;
  plan.record = (fs::path(folder) / kRescueRecordName).string();
  plan.stem = std::move(stem);
  plan.commandLine = options.commandLine;
  plan.skipBad = options.skipBad;
  return plan;
}

}  // namespace

RescueSession::RescueSession(const CarveOptions& options, std::string folder, std::string stem,
                             ConsoleStreams streams)
    : options_(options), streams_(streams), rescue_(PlanOf(options, folder, stem), *this) {}

void RescueSession::Problem(const std::string& what) {
  std::fprintf(streams_.err, "orlenta-carve: %s\n", what.c_str());
}

void RescueSession::FilesTaken(Taken how, const std::vector<std::string>& paths) {
  if (options_.quiet) return;
  const char* what = how == Taken::kAdded    ? "File recovered: "
                     : how == Taken::kMended ? "File mended: "
                                             : "File mended beside the one changed since: ";
  for (const std::string& path : paths) std::fprintf(streams_.out, "%s%s\n", what, path.c_str());
  std::fflush(streams_.out);
}

bool RescueSession::Begin(const SectorLayout& layout, VolumeSource& drives) {
  if (!rescue_.TakesSource(layout, options_.source) || !rescue_.OpenRecord()) return false;
  // A report is replaced only when it is this image's, from an earlier run.
  std::error_code error;
  if (options_.report && fs::exists(*options_.report, error) &&
      !fs::exists(rescue_.Plan().mapfile, error)) {
    Problem(*options_.report + ": cannot write the report (File exists)");
    return false;
  }
  return rescue_.Open(layout, drives);
}

bool RescueSession::Finish(bool completed, const CarveRules& rules) {
  rescue_.TakeInScan(!completed);
  if (completed && options_.retries > 0 && Retry() > 0 && !InterruptRequested()) {
    CarveAgain(rules);
  }
  return rescue_.Keep();
}

uint64_t RescueSession::Retry() {
  std::unique_ptr<Volume> medium = rescue_.Drives().Open(ConsoleHost::kDrive);
  if (!medium) return 0;
  RetryHooks hooks;
  hooks.stopRequested = [] { return InterruptRequested(); };
  hooks.started = [this](int pass, uint64_t left) {
    if (options_.quiet) return;
    std::fprintf(streams_.err, "Retry pass %d of %u (%s): %llu sectors not read yet\n", pass,
                 options_.retries, pass % 2 == 1 ? "forwards" : "backwards",
                 static_cast<unsigned long long>(left));
  };
  hooks.afterStore = [this] { rescue_.SaveFromTimeToTime(); };
  return RetryUnreadSectors(*medium, rescue_.Image(), static_cast<int>(options_.retries), hooks);
}

void RescueSession::CarveAgain(const CarveRules& rules) {
  // The sectors read by the retries may complete files, or start new ones: the whole image
  // is carved again, now from the disk, and what changed is taken in.
  if (!rescue_.MakeStagingFolder()) return;
  ConsoleHost host(rescue_.CarveFolder() + "/", rescue_.Plan().stem, true, false, streams_);
  host.HideRunEnd();
  RescueRecorder recorder;
  RecoveryRun run(rescue_.Volumes(), host);
  run.SetRules(rules);
  run.SetFilter(options_.filter);
  run.SetCarveObserver(&recorder);
  const RunOutcome outcome = run.RunRecovery();
  rescue_.TakeIn(recorder.Files(), outcome != RunOutcome::kCompleted);
}

bool RescueSession::WriteReport(const ReportSource& source, std::time_t start, ReportRunEnd end,
                                const std::map<int, AudioTrackResult>& audio) {
  const std::string path = *options_.report;
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".new";
  const std::string& folder = rescue_.Plan().folder;
  DfxmlReport report(options_.digests);
  if (!report.Begin(temporary, source, options_.commandLine, start)) return false;
  std::vector<uint8_t> sector(rescue_.Image().SectorSize());
  for (const RecordedFile& file : rescue_.Record()) {
    const std::string filePath = (fs::path(folder) / file.name).string();
    report.FileStarted(filePath, file.kind, file.firstSector);
    std::ifstream in(filePath, std::ios::binary);
    uint64_t index = 0;
    auto stretch = file.unreadable.begin();
    while (in.read(reinterpret_cast<char*>(sector.data()),
                   static_cast<std::streamsize>(sector.size())) ||
           in.gcount() > 0) {
      const std::span<const uint8_t> bytes(sector.data(), static_cast<std::size_t>(in.gcount()));
      while (stretch != file.unreadable.end() && stretch->first + stretch->second <= index)
        ++stretch;
      const bool unreadable = stretch != file.unreadable.end() && stretch->first <= index;
      unreadable ? report.UnreadableBytesWritten(bytes) : report.BytesWritten(bytes);
      ++index;
    }
    if (file.verified) report.FileEndVerified();
    report.FileEnded(!in.bad());
  }
  // A track whose file changed since an earlier run wrote it is no longer what it was.
  std::map<int, AudioTrackResult> tracks = RecordedAudioTracks(rescue_);
  for (const auto& [number, track] : audio) {
    if (track.earlier == AudioTrackResult::Earlier::kChanged) {
      tracks.erase(number);
    } else {
      tracks[number] = track;
    }
  }
  report.AudioTracksWritten(tracks);
  end.sectorsUnreadable = rescue_.Image().Count(SectorState::kBad);
  end.sectorsSkipped = rescue_.Image().Count(SectorState::kSkipped);
  const bool whole = report.Finish(end);
  std::error_code error;
  if (whole) fs::rename(temporary, path, error);
  if (!whole || error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

std::string RescueSession::SummaryLines() const {
  const RescueImage& image = rescue_.Image();
  std::string text;
  char line[512];
  std::snprintf(
      line, sizeof line, "Image: %s, sectors read %llu of %llu, bad %llu, not tried %llu\n",
      options_.image->c_str(), static_cast<unsigned long long>(image.Count(SectorState::kRead)),
      static_cast<unsigned long long>(image.SectorCount()),
      static_cast<unsigned long long>(image.Count(SectorState::kBad)),
      static_cast<unsigned long long>(image.Count(SectorState::kSkipped)));
  text += line;
  auto list = [&text](const char* what, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    text += std::string(what) + std::to_string(paths.size()) + "\n";
    for (const std::string& path : paths) text += "  " + path + "\n";
  };
  list("Files mended: ", rescue_.Taken().mended);
  list("Files mended beside a file changed since: ", rescue_.Taken().copies);
  std::vector<std::string> holding;
  for (const RecordedFile& file : rescue_.Record()) {
    if (!file.unreadable.empty()) {
      holding.push_back((fs::path(rescue_.Plan().folder) / file.name).string());
    }
  }
  list("Files still holding unreadable sectors: ", holding);
  if (holding.empty() && !rescue_.Record().empty()) {
    text += "Every file holds only sectors that were read\n";
  }
  return text;
}

}  // namespace orlenta
