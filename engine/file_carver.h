// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "carve_observer.h"
#include "file_kind.h"
#include "host.h"
#include "localized_text.h"
#include "run_members.h"
#include "sector_reader.h"

namespace orlenta {

class RecoveredFile;

// The log line added when a recovered file is started; it takes the file's full path.
extern const LocalizedText FileRecoveredText;

// "Missing file. Please reinstall!" and its translations.
extern const LocalizedText MissingFileText;

// What CarveFile tells the scan about where to go on.
enum CarveResult : int32_t {
  kCarveStopped = 0,    // not created, a write failed, or StopFlag was set
  kCarveToEnd = 1,      // the file ran to the end of the volume
  kCarveOneSector = 3,  // the very next sector holds a header: a one-sector file
  kCarveToHeader = -1,  // a later sector holds a header
};

// Writes one recovered file: the header sector now in SectorBuffer and every following
// sector up to, not including, the next header, the end of the volume or a stop request.
class FileCarver {
 public:
  FileCarver(RunMembers& run, SectorReader& reader, RunHost& host);

  // `kind` (1..10) is the kind of the header at CurrentSector. Leaves CurrentSector on the
  // last sector read (on the header sector when none was read).
  int32_t CarveFile(FileKind kind);

  // Files this carver started, per kind, over its life (for summaries).
  const std::array<uint64_t, kFileKindCount + 1>& FilesStarted() const { return started_; }
  // Files started and closed with every sector they were given, per kind.
  const std::array<uint64_t, kFileKindCount + 1>& FilesWrittenWhole() const { return whole_; }
  // Files started whose writing failed (a full disk): they hold less than was carved.
  const std::vector<std::string>& IncompleteFiles() const { return incomplete_; }
  // Headers whose file could not even be created.
  uint64_t FilesNotCreated() const { return notCreated_; }
  // True once a file could not be created or written.
  bool HadFileError() const { return hadFileError_; }

  // Tells `observer` (none when nullptr) of every file from now on; it must outlive the
  // carver or be replaced first.
  void SetObserver(CarveObserver* observer) { observer_ = observer; }

 private:
  int32_t CopyUntilNextHeader(RecoveredFile& file);
  int32_t FailWrite(RecoveredFile& file);
  int32_t FailCreate(RecoveredFile& file);
  bool Append(RecoveredFile& file, uint32_t length);

  RunMembers& run_;
  SectorReader& reader_;
  RunHost& host_;
  std::array<uint64_t, kFileKindCount + 1> started_{};
  std::array<uint64_t, kFileKindCount + 1> whole_{};
  std::vector<std::string> incomplete_;
  uint64_t notCreated_ = 0;
  bool hadFileError_ = false;
  CarveObserver* observer_ = nullptr;
  bool observed_ = false;  // the observer was told of the file being written
  // Large writes for every file, allocated once: files come by the thousand on a full disc.
  // Never freed while a file may be open, as the program can end in the middle of one.
  std::unique_ptr<char[]> streamBuffer_;
};

}  // namespace orlenta
