// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/carve_observer.h"
#include "platform/audio_tracks.h"
#include "platform/sha256.h"

namespace orlenta {

// One recovered file as the rescue record keeps it: which sectors it came from, which of
// them were unreadable (the file holds zeros there), and what the run wrote.
struct RecordedFile {
  std::string name;  // in the output folder
  FileKind kind = kNoHeader;
  uint64_t firstSector = 0;  // its header
  uint64_t length = 0;
  std::string sha256;
  bool verified = false;  // its structure told its end
  // Sectors of the file (counted from its header) that held zeros for unreadable ones:
  // first and count of each stretch.
  std::vector<std::pair<uint64_t, uint64_t>> unreadable;

  bool operator==(const RecordedFile&) const = default;
};

// One audio track of the disc as the rescue record keeps it: the WAV file written of it,
// and its frames that did not read clean.
struct RecordedTrack {
  int number = 0;
  std::string name;  // in the output folder
  std::string sha256;
  uint64_t frames = 0;
  std::vector<FrameStretch> damaged;  // in order; every other frame read clean

  bool operator==(const RecordedTrack&) const = default;
};

// What the runs with an image made in their output folder.
struct RescueRecord {
  std::vector<RecordedFile> files;
  std::vector<RecordedTrack> tracks;

  bool operator==(const RescueRecord&) const = default;
};

// The record a run with an image keeps in its output folder, so that a later run on the
// same image knows the files it made: one line per file, tab-separated, and one per audio
// track, which begins with "audio".
std::string FormatRescueRecord(const RescueRecord& record);
// nullopt when `text` is not a record; a name that is not a plain file name makes it none.
std::optional<RescueRecord> ParseRescueRecord(const std::string& text);

inline constexpr const char* kRescueRecordName = "rescue-record.tsv";

// The SHA-256 of the file at `path`, or nullopt when it cannot be read.
std::optional<std::string> FileSha256(const std::string& path);

// Keeps a RecordedFile for each file a carver writes whole.
class RescueRecorder final : public CarveObserver {
 public:
  void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) override;
  void BytesWritten(std::span<const uint8_t> bytes) override;
  void UnreadableBytesWritten(std::span<const uint8_t> bytes) override;
  void FileCut(uint64_t length) override;
  void FileEndVerified() override { file_.verified = true; }
  void FileEnded(bool written) override;

  // The files so far, in the order they were started; names are paths as the carver made
  // them.
  const std::vector<RecordedFile>& Files() const { return files_; }

 private:
  void Add(std::span<const uint8_t> bytes, bool unreadable);

  RecordedFile file_;
  uint64_t sectors_ = 0;
  bool cut_ = false;
  Sha256 hash_;
  std::vector<RecordedFile> files_;
};

}  // namespace orlenta
