// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/volume.h"
#include "rescue/image_rescue.h"

namespace orlenta {

// The image the window keeps of a disc in a drive, in the output folder beside the files,
// so that a run that was stopped (Stop, Exit, a disc taken out) can be gone on with: the
// next run reads only the sectors still unread and mends the files they held. A drive D
// keeps "rescue-D.img", its mapfile "rescue-D.img.map" and the record of its files
// "rescue-D.tsv"; a run that starts afresh beside an earlier one takes "rescue-D-2" and so
// on, so that nothing an earlier run wrote is lost.
//
// It is the run's volume source: while an image is kept, the run reads through it;
// otherwise straight from the drives.
class DriveRescue final : public VolumeSource, private RescueMessages {
 public:
  explicit DriveRescue(VolumeSource& drives) : drives_(drives) {}
  ~DriveRescue() override;

  // Looks for the run kept of the drive at `path` (drive `letter`) in `folder`, before
  // a run. True when an image can be kept of it: only of a disc in a drive (a block
  // device) whose sectors are the device's bytes; `describe` tells the layout, off the
  // window's thread.
  using Describe = std::function<std::optional<SectorLayout>(const std::string&)>;
  bool Look(char letter, const std::string& path, const std::string& folder,
            const std::string& stem, const Describe& describe);

  // The sectors an earlier run of this disc left unread when it was stopped before it had
  // tried them all; nullopt when there is no such run to go on with.
  std::optional<uint64_t> StoppedRunUnread() const { return stoppedUnread_; }

  // Starts keeping the image: going on with the stopped run, or afresh under new names.
  // False after noting why it cannot be kept (the run then reads the drive directly).
  bool Begin(bool goOn);
  // After the run: takes its files in (the last cut short when `stopped`), keeps the record
  // and the mapfile and stops keeping the image. Returns the sectors still unread.
  uint64_t End(bool stopped);
  // The program ends in the middle of the run: keeps what the run that goes on needs.
  void KeepBeforeExit() {
    if (rescue_) rescue_->KeepMidScan();
  }

  bool Active() const { return rescue_ != nullptr; }
  // Where the run's files go while the image is kept.
  const std::string& CarveFolder() const { return rescue_->CarveFolder(); }
  bool Staging() const { return rescue_ && rescue_->Staging(); }
  CarveObserver* Recorder() { return rescue_ ? &rescue_->Recorder() : nullptr; }

  // What happened that the log should tell, since last asked: files taken in from a
  // later scan ("added" or "mended", with their paths) and problems.
  struct Note {
    enum class What { kAdded, kMended, kProblem } what;
    std::string text;
  };
  std::vector<Note> TakeNotes() { return std::exchange(notes_, {}); }

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  void Problem(const std::string& what) override;
  void FilesTaken(Taken how, const std::vector<std::string>& paths) override;
  RescuePlan PlanNumbered(int number) const;

  VolumeSource& drives_;
  std::string path_;
  std::string folder_;
  std::string stem_;
  char letter_ = 0;
  std::optional<SectorLayout> layout_;
  int latest_ = 0;  // the number of the last run kept of the drive, 0 when none
  std::optional<uint64_t> stoppedUnread_;
  std::unique_ptr<ImageRescue> rescue_;
  std::vector<Note> notes_;
};

}  // namespace orlenta
