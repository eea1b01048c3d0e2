// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/bad_zone_skipper.h"
#include "platform/sector_layout.h"
#include "rescue_image.h"
#include "rescue_mending.h"
#include "rescue_record.h"
#include "rescue_volume.h"

namespace orlenta {

// Where a rescue keeps what it read and what it made, and how it reads.
struct RescuePlan {
  std::string image;    // the medium's image
  std::string mapfile;  // the image's mapfile
  std::string folder;   // the output folder
  std::string record;   // the record of the files recovered into the folder
  std::string stem;     // the name stem of recovered files
  std::string commandLine;
  bool skipBad = false;  // jump over zones of bad sectors
};

// Whether the sectors of the source at `source`, laid out as `layout`, are its bytes one
// after another from its first: only of such a source is an image kept.
bool SectorsAreSourceBytes(const SectorLayout& layout, const std::string& source);

// How a rescue tells its front end what happened.
class RescueMessages {
 public:
  virtual ~RescueMessages() = default;
  // Something could not be done: a sentence that names the file it is about.
  virtual void Problem(const std::string& what) = 0;
  // Files of a later scan were taken into the output folder: added, mended in place, or
  // mended beside the file that changed since.
  enum class Taken { kAdded, kMended, kMendedBeside };
  virtual void FilesTaken(Taken how, const std::vector<std::string>& paths) = 0;
};

// A run that keeps the medium's image (with its mapfile) and a record of the files it made:
// the scan reads through the image, and a run given the same image again goes on where the
// last one stopped, reads only what is still missing, and completes the files the missing
// sectors held instead of writing them twice.
class ImageRescue {
 public:
  ImageRescue(RescuePlan plan, RescueMessages& messages);
  ~ImageRescue();
  ImageRescue(const ImageRescue&) = delete;
  ImageRescue& operator=(const ImageRescue&) = delete;

  // Whether an image can be kept of the source at `source` laid out as `layout`: only when
  // its sectors are the source's bytes, and the image is not the source itself.
  bool TakesSource(const SectorLayout& layout, const std::string& source);
  // Reads the record of earlier runs, when there is one.
  bool OpenRecord();
  // Opens the image and its mapfile over `drives` and prepares the folder the scan writes
  // to. False after telling why the run cannot go on.
  bool Open(const SectorLayout& layout, VolumeSource& drives);

  // The medium as the scan reads it: through the image.
  VolumeSource& Volumes() { return *volumes_; }
  VolumeSource& Drives() { return *drives_; }
  // Where the scan writes its files: the output folder, or, when earlier runs left files
  // there, a folder of its own whose files are taken in afterwards.
  const std::string& CarveFolder() const { return carveFolder_; }
  bool Staging() const { return !stagingFolder_.empty(); }
  // Starts carving into a folder of its own, if not already; false after telling why not.
  bool MakeStagingFolder();
  CarveObserver& Recorder() { return recorder_; }

  // Takes a scan's files in; with `stopped`, the file started last may be cut short.
  void TakeIn(const std::vector<RecordedFile>& files, bool stopped);
  // Takes in the files the scan recorded through Recorder().
  void TakeInScan(bool stopped) { TakeIn(recorder_.Files(), stopped); }
  // Keeps the record and the mapfile. False when something could not be written, this time
  // or before.
  bool Keep();
  // Keeps the record and the mapfile as they stand in the middle of a scan that the program
  // ends at once: the files the scan finished straight in the output folder are recorded;
  // those in a folder of their own stay there, and the run that goes on carves them again.
  // The rescue goes on as before. False when something could not be written.
  bool KeepMidScan();

  RescueImage& Image() { return image_; }
  const RescueImage& Image() const { return image_; }
  // Saves the mapfile when it has not been saved for a while.
  void SaveFromTimeToTime() { image_.SaveFromTimeToTime(About()); }
  const std::vector<RecordedFile>& Record() const { return record_; }
  // The disc's audio tracks written as WAV files, as the record keeps them.
  const std::vector<RecordedTrack>& Tracks() const { return tracks_; }
  // Keeps `track` in the record, in place of what it held of the same track.
  void RecordTrack(RecordedTrack track);
  const MendingOutcome& Taken() const { return taken_; }
  const RescuePlan& Plan() const { return plan_; }

  // The sectors the image still lacks: tried and bad, and not tried.
  uint64_t SectorsUnread() const {
    return image_.Count(SectorState::kBad) + image_.Count(SectorState::kSkipped);
  }

 private:
  MapfileRun About() const;
  bool WriteRecord(const std::vector<RecordedFile>& record);
  bool SaveImage();

  RescuePlan plan_;
  RescueMessages& messages_;
  std::string startTime_;
  RescueImage image_;
  BadZoneSkipper skipper_;
  std::unique_ptr<RescueVolumeSource> volumes_;
  VolumeSource* drives_ = nullptr;
  RescueRecorder recorder_;
  std::vector<RecordedFile> record_;
  std::vector<RecordedTrack> tracks_;
  bool recordFound_ = false;
  std::string carveFolder_;
  std::string stagingFolder_;
  MendingOutcome taken_;
  bool failed_ = false;
};

}  // namespace orlenta
