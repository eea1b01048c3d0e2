// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "file_kind.h"

namespace orlenta {

// Follows the files a carver writes, byte for byte, for records kept beside them (a report
// with hashes): it sees each sector as it is written, so nothing is read twice.
class CarveObserver {
 public:
  virtual ~CarveObserver() = default;

  // A recovered file was created at `path`; its header is sector `firstSector`.
  virtual void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) = 0;

  // `bytes` were appended to the file started last.
  virtual void BytesWritten(std::span<const uint8_t> bytes) = 0;

  // `bytes` were appended to the file started last in place of a sector that could not be
  // read: they are the zeros the reader filled it with, not bytes of the medium.
  virtual void UnreadableBytesWritten(std::span<const uint8_t> bytes) { BytesWritten(bytes); }

  // The file started last was cut to its first `length` bytes once closed: its structure
  // told where it ends, or it ends at the first header-like sector inside it after all.
  // Told before FileEnded.
  virtual void FileCut(uint64_t length) { (void)length; }

  // The end of the file started last was told by its own structure. Told before FileEnded.
  virtual void FileEndVerified() {}

  // The file started last is closed. `written` is false when a write failed, so that the
  // file on disk may hold less than was passed on.
  virtual void FileEnded(bool written) = 0;

  // The file started last was removed once closed (smaller than the run keeps): told instead
  // of FileEnded.
  virtual void FileDropped() {}
};

}  // namespace orlenta
