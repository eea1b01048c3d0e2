// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/carve_observer.h"
#include "filesystems/named_recovery.h"
#include "platform/audio_tracks.h"
#include "platform/sector_layout.h"
#include "platform/sha256.h"
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
  uint64_t sectorsSkipped = 0;  // jumped over in bad zones, never tried
  // The SHA-256 of the whole source as read, when it was asked for and the whole source
  // was read; `sourceBytesHashed` says how much of it was hashed in any case.
  bool sourceHashAsked = false;
  std::optional<std::vector<std::pair<std::string, std::string>>> sourceDigests;  // by name
  uint64_t sourceBytesHashed = 0;
};

// A DFXML report of a carving run, written as the run goes: one fileobject per recovered
// file with its name (relative to the report's own folder), size, the runs it was carved
// from, its SHA-256 (and MD5 and SHA-1 when asked), hashed from the bytes as they are written, and
// whether its end was verified by its own structure. A run of image bytes is a byte_run with
// img_offset; a sector that could not be read is a byte_run with fill="0", as the file holds zeros
// there, so the runs in order always give back the file's bytes. A file cut short after writing is
// hashed again from what it holds then. Each entry is flushed to the disk as its file ends, so a
// run that dies keeps the entries of the files it finished.
//
// A file written under its own name from the disc's directory gets a fileobject too: its
// path in the volume (dfxmlext:volume_path), its modification time, the runs its bytes came
// from, fill runs for unreadable sectors, and its digests, read back from the file written.
class DfxmlReport final : public CarveObserver, public NamedFileObserver {
 public:
  // Each file's entry has its SHA-256 and the digests named in `otherDigests` ("md5", "sha1").
  explicit DfxmlReport(const std::vector<std::string>& otherDigests = {})
      : hash_(otherDigests), namedHash_(otherDigests) {}
  ~DfxmlReport() override;

  // Creates the report at `reportPath`, which must not exist yet, and writes its creator and
  // source. Return values: true created; false when it cannot be created, an existing file
  // left as it was (Error() holds the errno).
  bool Begin(const std::string& reportPath, const ReportSource& source,
             const std::string& commandLine, std::time_t start);

  // Files carved under `carvedFolder` are named as if they lay under `shownFolder` (both
  // ending in a separator): a run that keeps no file reports where a kept one would be.
  void NameCarvedFilesAs(std::string carvedFolder, std::string shownFolder) {
    carvedFolder_ = std::move(carvedFolder);
    shownFolder_ = std::move(shownFolder);
  }

  void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) override;
  void BytesWritten(std::span<const uint8_t> bytes) override;
  void UnreadableBytesWritten(std::span<const uint8_t> bytes) override;
  void FileCut(uint64_t length) override;
  void FileEndVerified() override { verified_ = true; }
  void FileEnded(bool written) override;
  void FileDropped() override {}  // its entry is written only when a file ends
  void NamedFileWritten(const NamedFileResult& result) override;
  // The audio tracks of the source's disc written as WAV files, by track number: an entry
  // for each, with what could not be read or repaired and the runs of the disc its samples
  // came from (the file's header is the program's own, and no run covers it).
  void AudioTracksWritten(const std::map<int, AudioTrackResult>& audio);

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
  void WriteContainer(const SectorLayout& layout);
  void WriteTracks(const std::vector<DiscTrack>& tracks);
  void WriteFileObject();
  void WriteByteRuns();
  // A file's digests, one hashdigest each.
  void WriteHashDigests(Digests& hash);
  void WriteSourceDigest(const ReportRunEnd& end);
  struct ByteRun {
    uint64_t fileOffset;
    uint64_t imageOffset;
    uint64_t length;
    bool fill;                // bytes of no sector: zeros for sectors that could not be read
    bool swapped = false;     // each pair of bytes the other way round from the image's
    bool unrepaired = false;  // audio read with errors the reads could not put right
  };
  void WriteByteRun(const ByteRun& run);
  void AudioTrackWritten(const DiscTrack& track, const AudioTrackResult& result);
  void WriteAudioRuns(const DiscTrack& track, const std::vector<FrameStretch>& frames);
  void WriteNamedRuns(const std::vector<NamedRun>& runs);
  void AddSector(bool unreadable, uint64_t bytes);
  std::string NameFromReportFolder(const std::string& path);
  bool HashFileAgain(uint64_t length);

  std::FILE* file_ = nullptr;
  std::unique_ptr<XmlWriter> xml_;
  std::string carvedFolder_;
  std::string shownFolder_;
  SectorLayout layout_;
  std::time_t start_ = 0;
  int error_ = 0;
  uint64_t filesNotWritten_ = 0;

  // Names are written relative to this folder: the report's own, with links resolved.
  std::filesystem::path reportFolder_;
  std::string lastFolder_;  // the folder of the last file named, and its relative form
  std::filesystem::path lastRelativeFolder_;

  // The file being written, one sector per BytesWritten call: its sectors in stretches of
  // the same data size and readability, so that a large file takes little memory.
  struct Stretch {
    uint64_t bytesPerSector;
    bool unreadable;
    uint64_t sectors;
  };
  std::string path_;      // as the report names it: from the report's folder
  std::string diskPath_;  // as the carver made it, to read a cut file back
  uint64_t firstSector_ = 0;
  FileKind kind_ = kNoHeader;
  uint64_t bytes_ = 0;
  std::vector<Stretch> stretches_;
  Digests hash_;
  // For files written by name, which end while a carved file may be in the middle.
  Digests namedHash_;
  bool verified_ = false;
  bool hashLost_ = false;  // the file could not be read back after it was cut
};

// Hashes the first `length` bytes of the file at `path` into `hash` (reset first); false
// when it cannot be read that far.
bool HashFileBytes(const std::string& path, uint64_t length, Digests& hash);

// "2024-07-14T18:30:00Z".
std::string IsoTime(std::time_t when);

}  // namespace orlenta
