// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/replace_file.h"
#include "interrupt.h"
#include "rescue_retries.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

std::string LocalTime(std::time_t when) {
  char text[32];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

}  // namespace

RescueSession::RescueSession(const CarveOptions& options, std::string folder, std::string stem,
                             ConsoleStreams streams)
    : options_(options),
      folder_(std::move(folder)),
      stem_(std::move(stem)),
      streams_(streams),
      mapfilePath_(options.mapfile.value_or(*options.image + ".map")),
      startTime_(LocalTime(std::time(nullptr))) {}

RescueSession::~RescueSession() {
  // Only files that could not be taken in stay behind, in the folder of their own.
  std::error_code error;
  if (!stagingFolder_.empty()) fs::remove(stagingFolder_, error);
}

std::string RescueSession::RecordPath() const {
  return (fs::path(folder_) / kRescueRecordName).string();
}

MapfileRun RescueSession::About() const {
  return {image_.SectorCount(), image_.SectorSize(), options_.commandLine, startTime_};
}

bool RescueSession::Begin(const SectorLayout& layout, VolumeSource& drives) {
  auto refuse = [this](const std::string& why) {
    std::fprintf(streams_.err, "orlenta-carve: %s\n", why.c_str());
    return false;
  };
  if (layout.rawMode != RawMode::kNone || layout.firstByte != 0 || !layout.Contiguous() ||
      layout.dataPath != options_.source) {
    return refuse(*options_.image +
                  ": an image is kept only of plain images and block devices, whose sectors are "
                  "the source's bytes");
  }
  if (SameFile(*options_.image, options_.source)) {
    return refuse(*options_.image + ": is the source itself");
  }
  if (!OpenRecord()) return false;
  // A report is replaced only when it is this image's, from an earlier run.
  std::error_code error;
  if (options_.report && fs::exists(*options_.report, error) && !fs::exists(mapfilePath_, error)) {
    return refuse(*options_.report + ": cannot write the report (File exists)");
  }
  const std::string why =
      image_.Open(*options_.image, mapfilePath_, layout.sectorCount, layout.sectorSize);
  if (!why.empty()) return refuse(why);
  drives_ = &drives;
  skipper_.Enable(options_.skipBad);
  volumes_ = std::make_unique<RescueVolumeSource>(drives, image_, skipper_,
                                                  [this] { image_.SaveFromTimeToTime(About()); });
  carveFolder_ = folder_;
  if (recordFound_ && !MakeStagingFolder()) return false;
  // The mapfile is there from the start, so that the image never stands without it.
  if (!image_.Save(About())) return refuse(mapfilePath_ + ": cannot write the mapfile");
  return true;
}

bool RescueSession::OpenRecord() {
  std::ifstream in(RecordPath(), std::ios::binary);
  if (!in) return true;
  std::ostringstream text;
  text << in.rdbuf();
  std::optional<std::vector<RecordedFile>> files = ParseRescueRecord(text.str());
  if (!files) {
    std::fprintf(streams_.err,
                 "orlenta-carve: %s: is not a record of recovered files; move it away to start "
                 "afresh\n",
                 RecordPath().c_str());
    return false;
  }
  record_ = std::move(*files);
  recordFound_ = true;
  return true;
}

bool RescueSession::MakeStagingFolder() {
  std::string pattern = (fs::path(folder_) / ".orlenta-carving-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::fprintf(streams_.err, "orlenta-carve: %s: cannot create a folder there (%s)\n",
                 folder_.c_str(), std::strerror(errno));
    return false;
  }
  stagingFolder_ = pattern;
  carveFolder_ = pattern;
  return true;
}

void RescueSession::TakeIn(const std::vector<RecordedFile>& files, bool stopped) {
  if (stagingFolder_.empty()) {
    // Written straight into the output folder: the record names them there.
    for (RecordedFile file : files) {
      file.name = fs::path(file.name).filename().string();
      record_.push_back(std::move(file));
    }
    return;
  }
  const MendingOutcome outcome = TakeInStagedFiles(record_, files, folder_, stem_, stopped);
  TellFiles("File recovered: ", outcome.added);
  TellFiles("File mended: ", outcome.mended);
  TellFiles("File mended beside the one changed since: ", outcome.copies);
  for (const std::string& path : outcome.failed) {
    std::fprintf(streams_.err, "orlenta-carve: cannot take %s into the output folder\n",
                 path.c_str());
    failed_ = true;
  }
  auto append = [](std::vector<std::string>& to, const std::vector<std::string>& from) {
    to.insert(to.end(), from.begin(), from.end());
  };
  append(taken_.added, outcome.added);
  append(taken_.mended, outcome.mended);
  append(taken_.copies, outcome.copies);
  append(taken_.failed, outcome.failed);
}

void RescueSession::TellFiles(const char* what, const std::vector<std::string>& paths) {
  if (options_.quiet) return;
  for (const std::string& path : paths) std::fprintf(streams_.out, "%s%s\n", what, path.c_str());
  std::fflush(streams_.out);
}

bool RescueSession::Finish(RunOutcome outcome, const CarveRules& rules) {
  TakeIn(recorder_.Files(), outcome != RunOutcome::kCompleted);
  if (outcome == RunOutcome::kCompleted && options_.retries > 0 && Retry() > 0 &&
      !InterruptRequested()) {
    CarveAgain(rules);
  }
  const std::string record = FormatRescueRecord(record_);
  if (!ReplaceFileContents(RecordPath(),
                           {reinterpret_cast<const uint8_t*>(record.data()), record.size()})) {
    std::fprintf(streams_.err, "orlenta-carve: %s: the record could not be written\n",
                 RecordPath().c_str());
    failed_ = true;
  }
  if (!image_.Save(About()) || image_.WriteFailed()) {
    std::fprintf(streams_.err,
                 "orlenta-carve: %s: the image or its mapfile could not be written whole\n",
                 options_.image->c_str());
    failed_ = true;
  }
  return !failed_;
}

uint64_t RescueSession::Retry() {
  std::unique_ptr<Volume> medium = drives_->Open(ConsoleHost::kDrive);
  if (!medium) return 0;
  RetryHooks hooks;
  hooks.stopRequested = [] { return InterruptRequested(); };
  hooks.started = [this](int pass, uint64_t left) {
    if (options_.quiet) return;
    std::fprintf(streams_.err, "Retry pass %d of %u (%s): %llu sectors not read yet\n", pass,
                 options_.retries, pass % 2 == 1 ? "forwards" : "backwards",
                 static_cast<unsigned long long>(left));
  };
  hooks.afterStore = [this] { image_.SaveFromTimeToTime(About()); };
  return RetryUnreadSectors(*medium, image_, static_cast<int>(options_.retries), hooks);
}

void RescueSession::CarveAgain(const CarveRules& rules) {
  // The sectors read by the retries may complete files, or start new ones: the whole image
  // is carved again, now from the disk, and what changed is taken in.
  if (stagingFolder_.empty() && !MakeStagingFolder()) return;
  ConsoleHost host(stagingFolder_ + "/", stem_, true, false, streams_);
  host.HideRunEnd();
  RescueRecorder recorder;
  RecoveryRun run(*volumes_, host);
  run.SetRules(rules);
  run.SetFilter(options_.filter);
  run.SetCarveObserver(&recorder);
  const RunOutcome outcome = run.RunRecovery();
  TakeIn(recorder.Files(), outcome != RunOutcome::kCompleted);
}

bool RescueSession::WriteReport(const ReportSource& source, std::time_t start, ReportRunEnd end) {
  const std::string path = *options_.report;
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".new";
  DfxmlReport report(options_.digests);
  if (!report.Begin(temporary, source, options_.commandLine, start)) return false;
  std::vector<uint8_t> sector(image_.SectorSize());
  for (const RecordedFile& file : record_) {
    const std::string filePath = (fs::path(folder_) / file.name).string();
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
  end.sectorsUnreadable = image_.Count(SectorState::kBad);
  end.sectorsSkipped = image_.Count(SectorState::kSkipped);
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
  std::string text;
  char line[512];
  std::snprintf(
      line, sizeof line, "Image: %s, sectors read %llu of %llu, bad %llu, not tried %llu\n",
      options_.image->c_str(), static_cast<unsigned long long>(image_.Count(SectorState::kRead)),
      static_cast<unsigned long long>(image_.SectorCount()),
      static_cast<unsigned long long>(image_.Count(SectorState::kBad)),
      static_cast<unsigned long long>(image_.Count(SectorState::kSkipped)));
  text += line;
  auto list = [&text](const char* what, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    text += std::string(what) + std::to_string(paths.size()) + "\n";
    for (const std::string& path : paths) text += "  " + path + "\n";
  };
  list("Files mended: ", taken_.mended);
  list("Files mended beside a file changed since: ", taken_.copies);
  std::vector<std::string> holding;
  for (const RecordedFile& file : record_) {
    if (!file.unreadable.empty()) holding.push_back((fs::path(folder_) / file.name).string());
  }
  list("Files still holding unreadable sectors: ", holding);
  if (holding.empty() && !record_.empty()) text += "Every file holds only sectors that were read\n";
  return text;
}

}  // namespace orlenta
