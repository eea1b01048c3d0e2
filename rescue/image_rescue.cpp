// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_rescue.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/replace_file.h"

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

void Append(std::vector<std::string>& to, const std::vector<std::string>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

// Records files written straight into the output folder, by their names there.
void RecordStraight(std::vector<RecordedFile>& record, const std::vector<RecordedFile>& files) {
  for (RecordedFile file : files) {
    file.name = fs::path(file.name).filename().string();
    record.push_back(std::move(file));
  }
}

}  // namespace

ImageRescue::ImageRescue(RescuePlan plan, RescueMessages& messages)
    : plan_(std::move(plan)), messages_(messages), startTime_(LocalTime(std::time(nullptr))) {}

ImageRescue::~ImageRescue() {
  // Only files that could not be taken in stay behind, in the folder of their own.
  std::error_code error;
  if (!stagingFolder_.empty()) fs::remove(stagingFolder_, error);
}

MapfileRun ImageRescue::About() const {
  return {image_.SectorCount(), image_.SectorSize(), plan_.commandLine, startTime_};
}

bool SectorsAreSourceBytes(const SectorLayout& layout, const std::string& source) {
  return layout.rawMode == RawMode::kNone && layout.firstByte == 0 && layout.Contiguous() &&
         layout.dataPath == source;
}

bool ImageRescue::TakesSource(const SectorLayout& layout, const std::string& source) {
  if (!SectorsAreSourceBytes(layout, source)) {
    messages_.Problem(plan_.image +
                      ": an image is kept only of plain images and block devices, whose sectors "
                      "are the source's bytes");
    return false;
  }
  if (SameFile(plan_.image, source)) {
    messages_.Problem(plan_.image + ": is the source itself");
    return false;
  }
  return true;
}

bool ImageRescue::OpenRecord() {
  std::ifstream in(plan_.record, std::ios::binary);
  if (!in) return true;
  std::ostringstream text;
  text << in.rdbuf();
  std::optional<RescueRecord> record = ParseRescueRecord(text.str());
  if (!record) {
    messages_.Problem(plan_.record +
                      ": is not a record of recovered files; move it away to start afresh");
    return false;
  }
  record_ = std::move(record->files);
  tracks_ = std::move(record->tracks);
  recordFound_ = true;
  return true;
}

bool ImageRescue::Open(const SectorLayout& layout, VolumeSource& drives) {
  const std::string why =
      image_.Open(plan_.image, plan_.mapfile, layout.sectorCount, layout.sectorSize);
  if (!why.empty()) {
    messages_.Problem(why);
    return false;
  }
  drives_ = &drives;
  skipper_.Enable(plan_.skipBad);
  volumes_ = std::make_unique<RescueVolumeSource>(drives, image_, skipper_,
                                                  [this] { SaveFromTimeToTime(); });
  carveFolder_ = plan_.folder;
  if (recordFound_ && !MakeStagingFolder()) return false;
  // The mapfile is there from the start, so that the image never stands without it.
  if (!image_.Save(About())) {
    messages_.Problem(plan_.mapfile + ": cannot write the mapfile");
    return false;
  }
  return true;
}

bool ImageRescue::MakeStagingFolder() {
  if (!stagingFolder_.empty()) return true;
  std::string pattern = (fs::path(plan_.folder) / ".orlenta-carving-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    messages_.Problem(plan_.folder + ": cannot create a folder there (" + std::strerror(errno) +
                      ")");
    return false;
  }
  stagingFolder_ = pattern;
  carveFolder_ = pattern;
  return true;
}

void ImageRescue::TakeIn(const std::vector<RecordedFile>& files, bool stopped) {
  if (stagingFolder_.empty()) {
    RecordStraight(record_, files);
    return;
  }
  const MendingOutcome outcome =
      TakeInStagedFiles(record_, files, plan_.folder, plan_.stem, stopped);
  messages_.FilesTaken(RescueMessages::Taken::kAdded, outcome.added);
  messages_.FilesTaken(RescueMessages::Taken::kMended, outcome.mended);
  messages_.FilesTaken(RescueMessages::Taken::kMendedBeside, outcome.copies);
  for (const std::string& path : outcome.failed) {
    messages_.Problem("cannot take " + path + " into the output folder");
    failed_ = true;
  }
  Append(taken_.added, outcome.added);
  Append(taken_.mended, outcome.mended);
  Append(taken_.copies, outcome.copies);
  Append(taken_.failed, outcome.failed);
}

bool ImageRescue::WriteRecord(const std::vector<RecordedFile>& record) {
  const std::string text = FormatRescueRecord({record, tracks_});
  if (ReplaceFileContents(plan_.record,
                          {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
    return true;
  }
  messages_.Problem(plan_.record + ": the record could not be written");
  return false;
}

void ImageRescue::RecordTrack(RecordedTrack track) {
  for (RecordedTrack& recorded : tracks_) {
    if (recorded.number == track.number) {
      recorded = std::move(track);
      return;
    }
  }
  tracks_.push_back(std::move(track));
}

bool ImageRescue::SaveImage() {
  if (image_.Save(About()) && !image_.WriteFailed()) return true;
  messages_.Problem(plan_.image + ": the image or its mapfile could not be written whole");
  return false;
}

bool ImageRescue::Keep() {
  if (!WriteRecord(record_)) failed_ = true;
  if (!SaveImage()) failed_ = true;
  return !failed_;
}

bool ImageRescue::KeepMidScan() {
  std::vector<RecordedFile> record = record_;
  if (stagingFolder_.empty()) RecordStraight(record, recorder_.Files());
  const bool recorded = WriteRecord(record);
  return SaveImage() && recorded;
}

}  // namespace orlenta
