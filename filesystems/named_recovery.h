// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/listed_files.h"
#include "file_listing.h"
#include "iso9660_reader.h"

namespace orlenta {

// A run of a file written by name: `length` bytes from `fileOffset` taken from the
// volume's logical byte `volumeOffset`, or zeros where the sectors could not be read.
struct NamedRun {
  uint64_t fileOffset = 0;
  uint64_t volumeOffset = 0;
  uint64_t length = 0;
  bool unreadable = false;
};

// What became of one file written by name.
struct NamedFileResult {
  std::string path;        // where it was written (the output folder's path included)
  std::string volumePath;  // where the disc lists it, from its root
  uint64_t size = 0;       // as listed
  std::optional<int64_t> mtime;
  std::vector<NamedRun> runs;  // in file order
  uint64_t unreadableBytes = 0;
  bool complete = false;      // every byte was written (zeros for unreadable sectors)
  bool written = true;        // false when creating or writing failed
  uint32_t olderSession = 0;  // see ListedFile
  bool deleted = false;       // see ListedFile
};

// Sees each file written by name once it is closed: for records kept beside them.
class NamedFileObserver {
 public:
  virtual ~NamedFileObserver() = default;
  virtual void NamedFileWritten(const NamedFileResult& result) = 0;
};

// Writes every file the volume's directories list under its own path, in a folder named
// after the volume inside the output folder, from the bytes the scan reads: one pass over
// the volume, the directories read once more before it. Files of a kind the run recovers
// are not carved again; everything else on the volume still is.
class NamedRecovery final : public ListedFiles {
 public:
  explicit NamedRecovery(DirectoryLimits limits = {}) : limits_(limits) {}
  ~NamedRecovery() override;

  void Prepare(Volume& volume, RunHost& host) override;
  void SectorsRead(uint64_t firstSector, uint32_t bytesPerSector, std::span<const uint8_t> bytes,
                   std::span<const SectorState> states) override;
  bool HidesHeader(uint64_t sector, FileKind kind) override;
  uint64_t NextTakeableStart(uint64_t sector) const override;
  uint64_t TakeFromVolume(uint64_t sector, Volume& volume, uint64_t most) override;
  void Finish() override;

  // Tells `observer` (none when nullptr) of each file once written.
  void SetObserver(NamedFileObserver* observer) { observer_ = observer; }

  // What the directories said; once the files are planned, each file's extents are let go
  // (a file's result carries its runs).
  const FileListing& Listing() const { return listing_; }
  // The folder the named tree went to ("" when there was nothing to write).
  const std::string& Root() const { return root_; }
  // Bytes the directories cost before the scan.
  uint64_t DirectoryBytesRead() const { return directoryBytes_; }
  // Files written whole; files with unreadable sectors (as zeros) or cut short, by path;
  // files that could not be written, by path.
  uint64_t FilesWhole() const { return whole_; }
  // Of the files written, those only an older session's directory lists.
  uint64_t FilesFromOlderSessions() const { return older_; }
  // Of the files written, those whose entries the disc marks as deleted.
  uint64_t FilesDeleted() const { return deleted_; }
  const std::vector<std::string>& FilesDamaged() const { return damaged_; }
  const std::vector<std::string>& FilesFailed() const { return failed_; }

 private:
  struct Target {
    // Its place in targets_ is the file's in the listing.
    uint64_t firstSector = 0;  // where its data begins
    // Its folder under the root, in placedFolders_, and where its own name ends in
    // placedNames_ (it begins where the previous target's ends).
    uint32_t placedEnd = 0;
    uint32_t folder = 0;
    std::FILE* stream = nullptr;
    uint64_t toDeliver = 0;  // the bytes its extents hold
    uint64_t delivered = 0;
    uint64_t unreadable = 0;
    uint64_t position = 0;  // of the open stream; kPositionUnknown: placed at the next write
    std::vector<NamedRun> runs;
    bool created = false;
    bool failed = false;
    bool concluded = false;
    bool hides = false;  // its first sector holds a header the run recovers
  };

  static constexpr uint64_t kPositionUnknown = UINT64_MAX;

  struct Piece {
    uint64_t begin = 0;  // logical bytes of the volume
    uint64_t end = 0;
    std::size_t target = 0;
    uint64_t fileOffset = 0;
  };
  void PlanFiles();
  void PlanTakeable();
  uint64_t FirstSectorOf(const Piece& piece) const { return piece.begin / sectorSize_; }
  uint64_t LastSectorOf(const Piece& piece) const { return (piece.end - 1) / sectorSize_; }
  // The piece of takeable_ whose sectors after its first hold `sector`, or nullptr.
  Piece* TakeableHolding(uint64_t sector);
  // Notes `length` bytes of the target's file at `fileOffset`, from the volume's logical
  // byte `logicalOffset`, as written (zeros for unreadable sectors).
  void NoteDelivered(Target& target, uint64_t fileOffset, uint64_t logicalOffset, uint64_t length,
                     bool unreadable);
  // Lets go of the pieces that end by the volume's logical byte `end`.
  void EndPiecesBy(uint64_t end);
  std::string Slice(const std::string& texts, const Target& target, uint32_t Target::*end) const;
  std::string PathOf(const Target& target) const;
  static void AddRun(Target& target, const NamedRun& run);
  bool MakeRoot(const std::string& outputFolder);
  void SectorRunRead(uint64_t first, uint64_t stop, std::span<const uint8_t> data,
                     uint32_t perSector, bool unreadable);
  void Deliver(Piece& piece, std::span<const uint8_t> data, bool unreadable,
               uint64_t logicalOffset);
  bool Open(Target& target);
  void Close(Target& target);
  void Conclude(Target& target);
  const Target* TargetHolding(uint64_t sector) const;

  DirectoryLimits limits_;
  FileListing listing_;
  RunHost* host_ = nullptr;
  NamedFileObserver* observer_ = nullptr;
  std::string root_;
  uint32_t sectorSize_ = 0;
  uint64_t directoryBytes_ = 0;
  std::vector<Target> targets_;
  std::vector<std::string> placedFolders_;
  std::string placedNames_;
  std::vector<Piece> pieces_;  // every extent, by volume offset
  std::size_t nextPiece_ = 0;
  std::vector<std::size_t> active_;  // pieces begun and not yet ended
  // The trusted files' sectors, by first sector, for telling which headers they hide.
  struct SectorSpan {
    uint64_t first;
    uint64_t last;
    std::size_t target;
  };
  std::vector<SectorSpan> spans_;
  // The pieces (by place in pieces_) whose sectors after the first may go from the volume
  // straight to the file: plain 2,048-byte data, enough sectors to be worth the calls, of a
  // trusted file, no sector shared with another piece.
  std::vector<uint32_t> takeable_;
  uint64_t sectorsSeen_ = 0;
  std::unordered_set<std::string> folders_;
  uint64_t whole_ = 0;
  uint64_t older_ = 0;
  uint64_t deleted_ = 0;
  std::vector<std::string> damaged_;
  std::vector<std::string> failed_;
  bool finished_ = false;
};

}  // namespace orlenta
