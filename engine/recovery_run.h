// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_carver.h"
#include "host.h"
#include "localized_text.h"
#include "run_members.h"
#include "sector_reader.h"
#include "volume.h"

namespace orlenta {

extern const LocalizedText CompletionText;
extern const LocalizedText AbortText;
// Shown when the selected drive holds no medium that can be read.
extern const LocalizedText NotReadyText;

// How a run ended, for hosts that report it (the command line's exit status).
enum class RunOutcome {
  kRefused,     // nothing (or no drive) selected
  kNotReady,    // the drive could not tell its size
  kCompleted,   // every sector was scanned
  kAborted,     // stopped
  kUnreadable,  // scanned, but not one sector could be read: no medium to speak of
  kMediumGone,  // the medium went away or shrank during the run, which was then stopped
};

// The whole scan of the selected drive: every sector from 0 to the last, each classified,
// each header carved into a file, with progress, stop and a closing message.
class RecoveryRun {
 public:
  RecoveryRun(VolumeSource& volumes, RunHost& host);

  // What Start does. Returns only when the run has ended (or was refused).
  RunOutcome RunRecovery();

  // What Stop does: the run ends after its next sector read.
  void OnStop();

  const RunMembers& Members() const { return members_; }
  const SectorReader& Reader() const { return reader_; }
  const FileCarver& Carver() const { return carver_; }

  // Jump over zones of bad sectors instead of trying each of their sectors.
  void SkipBadZones(bool on) { reader_.SkipBadZones(on); }

  // Tells `observer` (none when nullptr) of every file the run's carver writes.
  void SetCarveObserver(CarveObserver* observer) { carver_.SetObserver(observer); }

  // Tells `observer` (none when nullptr) of every byte the run reads from its volume.
  void SetVolumeReadObserver(VolumeReadObserver* observer) { reader_.SetReadObserver(observer); }

  // Writes the files `listed` names during the scan, and carves only what they leave
  // (none when nullptr); it must outlive the run.
  void SetListedFiles(ListedFiles* listed) {
    listed_ = listed;
    reader_.SetListedFiles(listed);
  }

  // The rules the run tells headers and ends files by (the described ones unless set);
  // they must outlive the run.
  void SetRules(const CarveRules& rules) { carver_.SetRules(rules); }

  // Writes only the files `filter` keeps (every file unless set).
  void SetFilter(const FileFilter& filter) { carver_.SetFilter(filter); }

 private:
  void Scan();
  void PrepareListedFiles(char drive);
  RunOutcome Outcome() const;
  RunOutcome Finish();

  VolumeSource& volumes_;
  RunHost& host_;
  RunMembers members_;
  SectorReader reader_;
  FileCarver carver_;
  ListedFiles* listed_ = nullptr;
};

}  // namespace orlenta
