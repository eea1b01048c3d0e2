// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "carve_observer.h"
#include "carve_rules.h"
#include "file_filter.h"
#include "file_kind.h"
#include "file_sector_runs.h"
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
  kCarveToLength = 2,   // the file's structure told its end, which lies in CurrentSector
};

class EndFinderDriver;

// Writes one recovered file: the header sector now in SectorBuffer and every following
// sector up to, not including, the next header, the end of the volume or a stop request.
// When the rules give an end finder for the kind, the file's own structure is followed
// instead: header-like sectors inside it are written as part of it, and it is cut to the
// length its structure tells. Where the structure cannot be followed to its end, the file
// ends at the first header-like sector inside it after all, its end not verified.
class FileCarver {
 public:
  FileCarver(RunMembers& run, SectorReader& reader, RunHost& host);

  // `kind` is the kind of the header at CurrentSector. Leaves CurrentSector on the last
  // sector read (on the header sector when none was read); after kCarveToLength on the
  // sector that holds the file's last byte, and after kCarveToHeader or kCarveOneSector
  // on the sector after the one where the scan is to go on.
  int32_t CarveFile(FileKind kind);

  // The rules that tell headers and give end finders; they must outlive the carver.
  void SetRules(const CarveRules& rules) { rules_ = &rules; }
  const CarveRules& Rules() const { return *rules_; }

  // Files this carver started, per kind, over its life (for summaries).
  const std::array<uint64_t, kKindSlots>& FilesStarted() const { return started_; }
  // Of those, the files whose end their own structure told for sure.
  const std::array<uint64_t, kKindSlots>& FilesVerified() const { return verified_; }
  // When the rules follow structures: the files whose end could not be verified, by path.
  const std::vector<std::string>& UnverifiedFiles() const { return unverified_; }
  // Files started and closed with every sector they were given, per kind.
  const std::array<uint64_t, kKindSlots>& FilesWrittenWhole() const { return whole_; }
  // Files started whose writing failed (a full disk): they hold less than was carved.
  const std::vector<std::string>& IncompleteFiles() const { return incomplete_; }
  // Headers whose file could not even be created.
  uint64_t FilesNotCreated() const { return notCreated_; }
  // True once a file could not be created or written.
  bool HadFileError() const { return hadFileError_; }

  // Tells `observer` (none when nullptr) of every file from now on; it must outlive the
  // carver or be replaced first.
  void SetObserver(CarveObserver* observer) { observer_ = observer; }

  // Writes only the files `filter` keeps (every file unless set). When it tells by a file's
  // size, a file's log line comes once the file has ended and is kept.
  void SetFilter(const FileFilter& filter) { filter_ = filter; }

 private:
  int32_t FollowFile(RecoveredFile& file, FileKind kind);
  int32_t PassOver(FileKind kind);
  bool DropWhenTooSmall(RecoveredFile& file, FileKind kind, uint64_t length);
  int32_t CopyUntilNextHeader(RecoveredFile& file, uint64_t sectorsInFile = 1);
  int32_t FollowStructure(RecoveredFile& file, EndFinderDriver& driver);
  int32_t EndAt(const EndFinderDriver& driver, uint64_t written);
  int32_t CutBackToInnerHeader(uint64_t innerHeader, uint64_t length, int32_t result);
  void EndFile(RecoveredFile& file, FileKind kind);
  int32_t FailWrite(RecoveredFile& file);
  int32_t FailCreate(RecoveredFile& file);
  bool Append(RecoveredFile& file, uint32_t length);

  RunMembers& run_;
  SectorReader& reader_;
  RunHost& host_;
  const CarveRules* rules_ = &DefaultCarveRules();
  FileFilter filter_;
  std::array<uint64_t, kKindSlots> started_{};
  std::array<uint64_t, kKindSlots> verified_{};
  // Of the file being written: its header sector, the length it is to be cut to (0: as
  // written) and whether its structure told its end.
  uint64_t headerSector_ = 0;
  uint64_t cutLength_ = 0;
  bool endVerified_ = false;
  FileSectorRuns sectorRuns_;
  std::vector<std::string> unverified_;
  std::array<uint64_t, kKindSlots> whole_{};
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
