// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "engine/carve_observer.h"

namespace orlenta {

// The files of a run that reports what it finds but keeps nothing: each is carved into a
// temporary folder of its own, so that its size, its cut and its digests come out exactly as
// in a run that keeps it, and is emptied as soon as it has ended (its name stays taken, so
// that the files are numbered as in a run that keeps them). The folder goes with this
// object, whatever a stopped run left in it.
class UnkeptFiles final : public CarveObserver {
 public:
  // Tells every file on to `next` (none when nullptr), which must outlive this object.
  explicit UnkeptFiles(CarveObserver* next) : next_(next) {}
  UnkeptFiles(const UnkeptFiles&) = delete;
  UnkeptFiles& operator=(const UnkeptFiles&) = delete;
  ~UnkeptFiles() override;

  // Makes the folder under $TMPDIR, else /tmp. Return values: 0 made, else the errno.
  int Create();
  // The folder, ending in a separator.
  const std::string& Folder() const { return folder_; }

  void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) override;
  void BytesWritten(std::span<const uint8_t> bytes) override;
  void UnreadableBytesWritten(std::span<const uint8_t> bytes) override;
  void FileCut(uint64_t length) override;
  void FileEndVerified() override;
  void FileEnded(bool written) override;
  void FileDropped() override;

 private:
  CarveObserver* next_;
  std::string folder_;
  std::string path_;  // the file started last
};

}  // namespace orlenta
