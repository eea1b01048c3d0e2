// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "engine/carve_observer.h"
#include "platform/sector_layout.h"
#include "sha256.h"
#include "xml_writer.h"

namespace orlenta {

// What the report says of the source, known before the scan.
struct ReportSource {
  std::string path;         // as the user gave it
  SectorLayout layout;      // where its sectors lie
  uint64_t imageBytes = 0;  // the size of the file (or device) the sectors are read from
};

// What the report says of the run, known at its end.
struct ReportRunEnd {
  std::time_t end = 0;
  bool completed = false;  // false: aborted, or never started
  uint64_t sectorsScanned = 0;
  uint64_t sectorsUnreadable = 0;
};

// A DFXML report of a carving run, written as the run goes: one fileobject per recovered
// file with its name, size, the runs of image bytes it was carved from and its SHA-256,
// hashed from the bytes as they are written. Each entry is flushed to the disk as its file
// ends, so a run that dies keeps the entries of the files it finished.
class DfxmlReport final : public CarveObserver {
 public:
  DfxmlReport() = default;
  ~DfxmlReport() override;

  // Creates the report at `reportPath`, which must not exist yet, and writes its creator and
  // source. Return values: true created; false when it cannot be created, an existing file
  // left as it was (Error() holds the errno).
  bool Begin(const std::string& reportPath, const ReportSource& source,
             const std::string& commandLine, std::time_t start);

  void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) override;
  void BytesWritten(std::span<const uint8_t> bytes) override;
  void FileEnded(bool written) override;

  // Writes the run's end and closes the report. Return values: true when the whole report
  // reached the disk, false otherwise (Error() holds the errno when there is one).
  bool Finish(const ReportRunEnd& end);

  int Error() const { return error_; }
  // Files whose writing failed: left out of the report, since their bytes on disk are not
  // known.
  uint64_t FilesNotWritten() const { return filesNotWritten_; }

 private:
  void WriteCreator(const std::string& commandLine);
  void WriteSource(const ReportSource& source);
  void WriteFileObject();
  void WriteByteRuns(uint64_t sectors);

  std::FILE* file_ = nullptr;
  std::unique_ptr<XmlWriter> xml_;
  SectorLayout layout_;
  std::time_t start_ = 0;
  int error_ = 0;
  uint64_t filesNotWritten_ = 0;

  // The file being written.
  std::string path_;
  uint64_t firstSector_ = 0;
  uint64_t bytes_ = 0;
  Sha256 hash_;
};

// "2024-07-14T18:30:00Z".
std::string IsoTime(std::time_t when);

}  // namespace orlenta
