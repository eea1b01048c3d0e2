// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "carve_options.h"
#include "console_host.h"
#include "dfxml_report.h"
#include "engine/carve_rules.h"
#include "engine/recovery_run.h"
#include "rescue/image_rescue.h"
#include "rescue/rescue_audio.h"

namespace orlenta {

// A run that keeps the source's image (--image): the scan reads through the image, the
// files it carves are recorded in the output folder, and a run given the same image again
// goes on where the last one stopped, reads only what is still missing and completes the
// files the missing sectors held.
class RescueSession final : private RescueMessages {
 public:
  RescueSession(const CarveOptions& options, std::string folder, std::string stem,
                ConsoleStreams streams);
  RescueSession(const RescueSession&) = delete;
  RescueSession& operator=(const RescueSession&) = delete;

  // Opens the image and its mapfile and reads the record of earlier runs; false after
  // telling why the run cannot go on.
  bool Begin(const SectorLayout& layout, VolumeSource& drives);

  // The medium as the scan reads it: through the image.
  VolumeSource& Volumes() { return rescue_.Volumes(); }
  // Where the scan writes its files: the output folder, or, when earlier runs left files
  // there, a folder of its own whose files are taken in afterwards.
  const std::string& CarveFolder() const { return rescue_.CarveFolder(); }
  bool Staging() const { return rescue_.Staging(); }
  CarveObserver& Recorder() { return rescue_.Recorder(); }

  // After the scan: takes its files in; when it `completed`, goes over the sectors still not
  // read `retries` times and carves again when they gave any; then keeps the record and
  // the mapfile. False when something could not be written.
  bool Finish(bool completed, const CarveRules& rules);

  // Writes the disc's audio track `track` as a run that goes on writes it: not again when
  // an earlier run wrote it whole, its frames that did not read clean read again when it
  // did not (see RescueAudioTrack).
  AudioTrackResult WriteAudioTrack(const DiscTrack& track, const AudioFrameReader& read) {
    return RescueAudioTrack(rescue_, track, read);
  }
  // Keeps the record again, with the audio tracks written since Finish. False when it could
  // not be written.
  bool KeepRecord() { return rescue_.Keep(); }

  // Writes the report of every file of the output folder, in place of an earlier one, and
  // of the disc's audio tracks: as this run left them (`audio`, by track number), and those
  // earlier runs wrote that it did not look at.
  bool WriteReport(const ReportSource& source, std::time_t start, ReportRunEnd end,
                   const std::map<int, AudioTrackResult>& audio);

  // The sectors the image still lacks: tried and bad, and not tried.
  void CountUnread(uint64_t& bad, uint64_t& untried) const {
    bad = rescue_.Image().Count(SectorState::kBad);
    untried = rescue_.Image().Count(SectorState::kSkipped);
  }

  // Lines for the summary: what became of the image and of the files.
  std::string SummaryLines() const;

 private:
  void Problem(const std::string& what) override;
  void FilesTaken(Taken how, const std::vector<std::string>& paths) override;
  uint64_t Retry();
  void CarveAgain(const CarveRules& rules);

  const CarveOptions& options_;
  ConsoleStreams streams_;
  ImageRescue rescue_;
};

}  // namespace orlenta
