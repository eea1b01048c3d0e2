// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "carve_options.h"
#include "console_host.h"
#include "dfxml_report.h"
#include "engine/bad_zone_skipper.h"
#include "engine/carve_rules.h"
#include "engine/recovery_run.h"
#include "rescue_image.h"
#include "rescue_mending.h"
#include "rescue_record.h"
#include "rescue_volume.h"

namespace orlenta {

// A run that keeps the source's image (--image): the scan reads through the image, the
// files it carves are recorded in the output folder, and a run given the same image again
// goes on where the last one stopped, reads only what is still missing and completes the
// files the missing sectors held.
class RescueSession {
 public:
  RescueSession(const CarveOptions& options, std::string folder, std::string stem,
                ConsoleStreams streams);
  ~RescueSession();
  RescueSession(const RescueSession&) = delete;
  RescueSession& operator=(const RescueSession&) = delete;

  // Opens the image and its mapfile and reads the record of earlier runs; false after
  // telling why the run cannot go on.
  bool Begin(const SectorLayout& layout, VolumeSource& drives);

  // The medium as the scan reads it: through the image.
  VolumeSource& Volumes() { return *volumes_; }
  // Where the scan writes its files: the output folder, or, when earlier runs left files
  // there, a folder of its own whose files are taken in afterwards.
  const std::string& CarveFolder() const { return carveFolder_; }
  bool Staging() const { return !stagingFolder_.empty(); }
  CarveObserver& Recorder() { return recorder_; }

  // After the scan: takes its files in; when it completed, goes over the sectors still not
  // read `retries` times and carves again when they gave any; then keeps the record and
  // the mapfile. False when something could not be written.
  bool Finish(RunOutcome outcome, const CarveRules& rules);

  // Writes the report of every file of the output folder, in place of an earlier one.
  bool WriteReport(const ReportSource& source, std::time_t start, ReportRunEnd end);

  // The sectors the image still lacks: tried and bad, and not tried.
  void CountUnread(uint64_t& bad, uint64_t& untried) const {
    bad = image_.Count(SectorState::kBad);
    untried = image_.Count(SectorState::kSkipped);
  }

  // Lines for the summary: what became of the image and of the files.
  std::string SummaryLines() const;

 private:
  bool OpenRecord();
  bool MakeStagingFolder();
  void TakeIn(const std::vector<RecordedFile>& files, bool stopped);
  void TellFiles(const char* what, const std::vector<std::string>& paths);
  uint64_t Retry();
  void CarveAgain(const CarveRules& rules);
  std::string RecordPath() const;
  MapfileRun About() const;

  const CarveOptions& options_;
  std::string folder_;
  std::string stem_;
  ConsoleStreams streams_;
  std::string mapfilePath_;
  std::string startTime_;
  RescueImage image_;
  BadZoneSkipper skipper_;
  std::unique_ptr<RescueVolumeSource> volumes_;
  VolumeSource* drives_ = nullptr;
  RescueRecorder recorder_;
  std::vector<RecordedFile> record_;
  bool recordFound_ = false;
  std::string carveFolder_;
  std::string stagingFolder_;
  MendingOutcome taken_;
  bool failed_ = false;
};

}  // namespace orlenta
