// SPDX-License-Identifier: GPL-3.0-or-later
#include "dfxml_report.h"

#include <libxml/xmlversion.h>
#include <openssl/crypto.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "filesystems/block_reader.h"
#include "xml_text.h"

namespace orlenta {
namespace {

constexpr const char* kDfxmlNamespace =
    "http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML";
// Where DFXML keeps what its core elements have no place for.
constexpr const char* kExtensionNamespace =
    "http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML#extensions";

std::string Number(uint64_t value) {
  return std::to_string(value);
}

std::string Compiler() {
#if defined(__clang__)
  return std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
  return std::string("GCC ") + __VERSION__;
#else
  return "unknown";
#endif
}

}  // namespace

std::string IsoTime(std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

DfxmlReport::~DfxmlReport() {
  xml_.reset();
  if (file_) std::fclose(file_);
}

bool DfxmlReport::Begin(const std::string& reportPath, const ReportSource& source,
                        const std::string& commandLine, std::time_t start) {
  // Never over an existing file: the path may well name the image being carved, or an
  // earlier run's report.
  file_ = std::fopen(reportPath.c_str(), "wbx");
  if (!file_) {
    error_ = errno;
    return false;
  }
  layout_ = source.layout;
  start_ = start;
  std::error_code ignored;
  reportFolder_ = std::filesystem::weakly_canonical(
      std::filesystem::absolute(reportPath, ignored).parent_path(), ignored);
  xml_ = std::make_unique<XmlWriter>(file_);
  xml_->Start("dfxml");
  xml_->Attribute("xmlns", kDfxmlNamespace);
  xml_->Attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
  xml_->Attribute("xmlns:dfxmlext", kExtensionNamespace);
  xml_->Attribute("version", "1.2.0");
  xml_->Start("metadata");
  xml_->Element("dc:type", "Carve Report");
  // What a reader must know to find the files and read the names back as bytes.
  xml_->Element("dfxmlext:filenames_relative_to", "the folder of this report");
  xml_->OwnTextElement("dfxmlext:text_escaping", kXmlTextEscaping);
  xml_->End();
  WriteCreator(commandLine);
  WriteSource(source);
  xml_->Flush();
  std::fflush(file_);
  return true;
}

void DfxmlReport::WriteCreator(const std::string& commandLine) {
  xml_->Start("creator");
  xml_->Attribute("version", "1.0");
  xml_->Element("program", "orlenta-carve");
  xml_->Element("version", ORLENTA_VERSION);
  xml_->Start("build_environment");
  xml_->Element("compiler", Compiler() + " (" ORLENTA_BUILD_TYPE ")");
  xml_->Start("library");
  xml_->Attribute("name", "libxml2");
  xml_->Attribute("version", LIBXML_DOTTED_VERSION);
  xml_->End();
  xml_->Start("library");
  xml_->Attribute("name", "OpenSSL");
  xml_->Attribute("version", OpenSSL_version(OPENSSL_VERSION_STRING));
  xml_->End();
  xml_->End();
  xml_->Start("execution_environment");
  struct utsname system {};
  if (::uname(&system) == 0) {
    xml_->Element("os_sysname", system.sysname);
    xml_->Element("os_release", system.release);
    xml_->Element("arch", system.machine);
  }
  xml_->Element("command_line", commandLine);
  xml_->Element("start_time", IsoTime(start_));
  xml_->End();
  xml_->End();
}

void DfxmlReport::WriteSource(const ReportSource& source) {
  xml_->Start("source");
  xml_->Element("image_filename", source.path);
  // A cue sheet's track is read from the data file it names; the byte runs point into that.
  if (source.layout.dataPath != source.path) {
    xml_->Element("image_filename", source.layout.dataPath);
  }
  // A split image's byte runs count its segments' bytes one after another, in this order.
  for (std::size_t i = 1; i < source.layout.segments.size(); ++i) {
    xml_->Element("image_filename", source.layout.segments[i]);
  }
  xml_->End();
  // DFXML's source holds names only; what we know of its sectors follows it in an element
  // of our own, where the schema lets other namespaces in.
  xml_->Start("dfxmlext:source");
  xml_->Element("dfxmlext:image_size", Number(source.imageBytes));
  xml_->Element("dfxmlext:sector_size", Number(source.layout.sectorSize));
  xml_->Element("dfxmlext:sector_count", Number(source.layout.sectorCount));
  if (source.layout.rawMode != RawMode::kNone) {
    xml_->Start("dfxmlext:raw_mode");
    xml_->Attribute("bytes_per_raw_sector", Number(source.layout.stride));
    xml_->Attribute("data_offset", Number(source.layout.dataOffset));
    xml_->Text(RawModeName(source.layout.rawMode));
    xml_->End();
  }
  if (source.layout.container != Container::kNone) WriteContainer(source.layout);
  if (!source.layout.tracks.empty()) WriteTracks(source.layout.tracks);
  xml_->End();
}

void DfxmlReport::WriteTracks(const std::vector<DiscTrack>& tracks) {
  // The disc's tracks in the disc's own sector numbers; a file's byte runs point into the
  // data file of the track each run lies in.
  xml_->Start("dfxmlext:tracks");
  for (const DiscTrack& track : tracks) {
    xml_->Start("dfxmlext:track");
    xml_->Attribute("number", Number(static_cast<uint64_t>(track.number)));
    xml_->Attribute("session", Number(static_cast<uint64_t>(track.session)));
    xml_->Attribute("kind", track.kind == TrackKind::kAudio ? "audio" : "data");
    xml_->Attribute("first_sector", Number(track.firstSector));
    xml_->Attribute("sector_count", Number(track.sectorCount));
    if (track.kind == TrackKind::kData && track.layout.rawMode != RawMode::kNone) {
      xml_->Attribute("mode", RawModeName(track.layout.rawMode));
    }
    xml_->Text(track.layout.dataPath);
    xml_->End();
  }
  xml_->End();
}

void DfxmlReport::WriteContainer(const SectorLayout& layout) {
  // What the evidence set's maker stored of the medium, beside our own digests, so that a
  // lab can check the set against its acquisition notes.
  xml_->Start("dfxmlext:container");
  xml_->Attribute("format", ContainerName(layout.container));
  for (const StoredHash& stored : layout.storedHashes) {
    xml_->Start("hashdigest");
    xml_->Attribute("type", stored.algorithm);
    xml_->Text(stored.hex);
    xml_->End();
  }
  xml_->End();
}

void DfxmlReport::FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) {
  const bool elsewhere = !carvedFolder_.empty() && path.starts_with(carvedFolder_);
  path_ = NameFromReportFolder(elsewhere ? shownFolder_ + path.substr(carvedFolder_.size()) : path);
  kind_ = kind;
  diskPath_ = path;
  firstSector_ = firstSector;
  bytes_ = 0;
  stretches_.clear();
  hash_.Reset();
  verified_ = false;
  hashLost_ = false;
}

void DfxmlReport::FileCut(uint64_t length) {
  if (length >= bytes_) return;
  bytes_ = length;
  hashLost_ = !HashFileAgain(length);
}

bool DfxmlReport::HashFileAgain(uint64_t length) {
  // The bytes past the cut were hashed already; the file itself, closed and cut, holds
  // exactly the bytes to hash now.
  return HashFileBytes(diskPath_, length, hash_);
}

bool HashFileBytes(const std::string& path, uint64_t length, Digests& hash) {
  // Read back in small pieces, as memory must stay flat.
  hash.Reset();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::vector<uint8_t> piece(std::size_t{1} << 16);
  uint64_t left = length;
  while (left > 0) {
    const std::size_t want = left < piece.size() ? static_cast<std::size_t>(left) : piece.size();
    const std::size_t got = std::fread(piece.data(), 1, want, file);
    if (got == 0) break;
    hash.Update({piece.data(), got});
    left -= got;
  }
  std::fclose(file);
  return left == 0;
}

std::string DfxmlReport::NameFromReportFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  // Every file of a run lies in the same folder, so it is resolved once.
  if (folder != lastFolder_ || lastRelativeFolder_.empty()) {
    std::error_code ignored;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, ignored);
    lastRelativeFolder_ = resolved.lexically_relative(reportFolder_);
    if (lastRelativeFolder_.empty()) lastRelativeFolder_ = resolved;  // another root
    lastFolder_ = folder;
  }
  if (lastRelativeFolder_ == ".") return name;
  return (lastRelativeFolder_ / name).string();
}

void DfxmlReport::BytesWritten(std::span<const uint8_t> bytes) {
  hash_.Update(bytes);
  AddSector(false, bytes.size());
}

void DfxmlReport::UnreadableBytesWritten(std::span<const uint8_t> bytes) {
  hash_.Update(bytes);
  AddSector(true, bytes.size());
}

void DfxmlReport::AddSector(bool unreadable, uint64_t bytes) {
  bytes_ += bytes;
  Stretch* last = stretches_.empty() ? nullptr : &stretches_.back();
  if (last && last->unreadable == unreadable && last->bytesPerSector == bytes) {
    ++last->sectors;
  } else {
    stretches_.push_back({bytes, unreadable, 1});
  }
}

void DfxmlReport::FileEnded(bool written) {
  if (!xml_) return;
  if (written && !hashLost_) {
    WriteFileObject();
  } else {
    ++filesNotWritten_;
  }
  // Each file's entry reaches the disk when the file ends, so a run that dies (killed, the
  // power gone) leaves a report of every file it finished.
  xml_->Flush();
  std::fflush(file_);
}

void DfxmlReport::WriteFileObject() {
  xml_->Start("fileobject");
  xml_->Element("filename", path_);
  xml_->Element("filesize", Number(bytes_));
  xml_->Start("byte_runs");
  WriteByteRuns();
  xml_->End();
  WriteHashDigests(hash_);
  // true: the file ends where its own structure says; false: where the next header was
  // met, or the volume ended.
  xml_->Element("dfxmlext:end_verified", verified_ ? "true" : "false");
  xml_->Element("dfxmlext:kind", FileKindName(kind_));  // as the summary names it
  xml_->End();
}

void DfxmlReport::WriteHashDigests(Digests& hash) {
  for (const auto& [name, hex] : hash.HexDigests()) {
    xml_->Start("hashdigest");
    xml_->Attribute("type", name);
    xml_->Text(hex);
    xml_->End();
  }
}

void DfxmlReport::WriteByteRuns() {
  // Sector by sector, each run grown while the next sector's bytes follow on: a plain
  // image's file is one run, a raw image's one run per sector (framing lies between the
  // sectors' data), and unreadable sectors in a row one fill run. A file cut to its length
  // ends inside its last sector.
  std::optional<ByteRun> run;
  const DiscTrack* runTrack = nullptr;
  uint64_t sector = firstSector_;
  uint64_t fileOffset = 0;
  for (const Stretch& stretch : stretches_) {
    for (uint64_t i = 0; i < stretch.sectors && fileOffset < bytes_; ++i, ++sector) {
      const uint64_t image = layout_.ImageOffset(sector);
      const uint64_t length = std::min(stretch.bytesPerSector, bytes_ - fileOffset);
      // Sectors of a disc that no data track holds gave the file nothing.
      if (length == 0) continue;
      const DiscTrack* track = layout_.DataTrackAt(sector);
      const bool sameTrack = !run || track == runTrack;
      runTrack = track;
      const bool followsOn = run && sameTrack && run->fill == stretch.unreadable &&
                             (run->fill || run->imageOffset + run->length == image);
      if (followsOn) {
        run->length += length;
      } else {
        if (run) WriteByteRun(*run);
        run = ByteRun{fileOffset, image, length, stretch.unreadable};
      }
      fileOffset += length;
    }
  }
  if (run) WriteByteRun(*run);
}

void DfxmlReport::WriteByteRun(const ByteRun& run) {
  xml_->Start("byte_run");
  xml_->Attribute("file_offset", Number(run.fileOffset));
  if (run.fill) {
    xml_->Attribute("fill", "0");  // the zeros the file holds for sectors never read
  } else {
    xml_->Attribute("img_offset", Number(run.imageOffset));
  }
  xml_->Attribute("len", Number(run.length));
  if (run.swapped) xml_->Attribute("dfxmlext:byte_swapped", "1");
  if (run.unrepaired) xml_->Attribute("dfxmlext:unrepaired", "1");
  xml_->End();
}

void DfxmlReport::NamedFileWritten(const NamedFileResult& result) {
  if (!xml_) return;
  uint64_t size = 0;
  for (const NamedRun& run : result.runs) size = std::max(size, run.fileOffset + run.length);
  if (!result.written || !HashFileBytes(result.path, size, namedHash_)) {
    ++filesNotWritten_;
    return;
  }
  xml_->Start("fileobject");
  xml_->Element("filename", NameFromReportFolder(result.path));
  xml_->Element("filesize", Number(size));
  if (result.mtime) xml_->Element("mtime", IsoTime(static_cast<std::time_t>(*result.mtime)));
  // Our own elements go where the schema lets others' go: after the times, before the runs.
  xml_->Element("dfxmlext:volume_path", result.volumePath);
  // Listed by an older session alone: removed or replaced on the disc since.
  if (result.olderSession != 0) {
    xml_->Element("dfxmlext:older_session", Number(uint64_t{result.olderSession}));
  }
  // Its directory entry is marked deleted: its data may since be another file's.
  if (result.deleted) xml_->Element("dfxmlext:deleted", "1");
  xml_->Start("byte_runs");
  WriteNamedRuns(result.runs);
  xml_->End();
  WriteHashDigests(namedHash_);
  // A file listed bigger than what could be written (a stop, an extent past the end).
  if (!result.complete) xml_->Element("dfxmlext:listed_size", Number(result.size));
  xml_->End();
  xml_->Flush();
  std::fflush(file_);
}

void DfxmlReport::AudioTracksWritten(const std::map<int, AudioTrackResult>& audio) {
  for (const DiscTrack& track : layout_.tracks) {
    const auto found = audio.find(track.number);
    if (track.kind == TrackKind::kAudio && found != audio.end()) {
      AudioTrackWritten(track, found->second);
    }
  }
}

void DfxmlReport::AudioTrackWritten(const DiscTrack& track, const AudioTrackResult& result) {
  if (!xml_) return;
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(result.path, error);
  if (result.errnum != 0 || error || !HashFileBytes(result.path, size, namedHash_)) {
    ++filesNotWritten_;
    return;
  }
  xml_->Start("fileobject");
  xml_->Element("filename", NameFromReportFolder(result.path));
  xml_->Element("filesize", Number(size));
  // The track it holds; frames that could not be read (silence in the file) and frames read
  // with errors the drive's reads could not put right.
  xml_->Start("dfxmlext:audio_track");
  xml_->Attribute("number", Number(static_cast<uint64_t>(track.number)));
  xml_->Attribute("frames_unreadable", Number(result.framesUnread));
  xml_->Attribute("frames_unrepaired", Number(result.framesUnrepaired));
  xml_->End();
  xml_->Start("byte_runs");
  WriteAudioRuns(track, result.frames);
  xml_->End();
  WriteHashDigests(namedHash_);
  xml_->End();
  xml_->Flush();
  std::fflush(file_);
}

void DfxmlReport::WriteAudioRuns(const DiscTrack& track, const std::vector<FrameStretch>& frames) {
  // The samples of each frame are the 2,352 bytes of its sector of the disc (of the
  // track's data file), turned the other way round where the file holds them big-endian;
  // silence written for a frame never read is a fill run.
  for (const FrameStretch& stretch : frames) {
    ByteRun run{AudioTrackResult::FileOffset(stretch.first),
                track.layout.ImageOffset(stretch.first), stretch.count * kAudioFrameBytes,
                stretch.state == FrameState::kSilence || stretch.state == FrameState::kUnread};
    run.swapped = !run.fill && track.bigEndianAudio;
    run.unrepaired = stretch.state == FrameState::kUnrepaired;
    WriteByteRun(run);
  }
}

void DfxmlReport::WriteNamedRuns(const std::vector<NamedRun>& runs) {
  // The runs are in the volume's data bytes; on a raw image each sector's data lies apart
  // in the image, so a run is split where the image's bytes stop following on.
  const uint32_t perSector = LogicalBytesPerSector(layout_.sectorSize);
  std::optional<ByteRun> out;
  for (const NamedRun& run : runs) {
    for (uint64_t done = 0; done < run.length;) {
      const LogicalPlace place = PlaceOfLogicalByte(run.volumeOffset + done, layout_.sectorSize);
      const uint64_t length = std::min<uint64_t>(run.length - done, perSector - place.byte);
      const uint64_t image = layout_.ImageOffset(place.sector) + place.byte;
      const bool followsOn = out && out->fill == run.unreadable &&
                             out->fileOffset + out->length == run.fileOffset + done &&
                             (out->fill || out->imageOffset + out->length == image);
      if (followsOn) {
        out->length += length;
      } else {
        if (out) WriteByteRun(*out);
        out = ByteRun{run.fileOffset + done, image, length, run.unreadable};
      }
      done += length;
    }
  }
  if (out) WriteByteRun(*out);
}

void DfxmlReport::WriteSourceDigest(const ReportRunEnd& end) {
  // The whole source's digest, or how far the run got when it did not read it all.
  xml_->Start("dfxmlext:source_digest");
  xml_->Attribute("bytes_hashed", Number(end.sourceBytesHashed));
  if (end.sourceDigests) {
    for (const auto& [name, hex] : *end.sourceDigests) {
      xml_->Start("hashdigest");
      xml_->Attribute("type", name);
      xml_->Text(hex);
      xml_->End();
    }
  } else {
    xml_->Attribute("complete", "false");
  }
  xml_->End();
}

bool DfxmlReport::Finish(const ReportRunEnd& end) {
  if (!xml_) return false;
  xml_->Start("dfxmlext:run");
  xml_->Element("dfxmlext:start_time", IsoTime(start_));
  xml_->Element("dfxmlext:end_time", IsoTime(end.end));
  xml_->Element("dfxmlext:outcome", end.completed ? "completed" : "aborted");
  xml_->Element("dfxmlext:sectors_scanned", Number(end.sectorsScanned));
  xml_->Element("dfxmlext:sectors_unreadable", Number(end.sectorsUnreadable));
  xml_->Element("dfxmlext:sectors_skipped", Number(end.sectorsSkipped));
  xml_->Element("dfxmlext:files_not_written", Number(filesNotWritten_));
  if (end.sourceHashAsked) WriteSourceDigest(end);
  xml_->End();
  bool whole = xml_->Finish();
  xml_.reset();
  if (std::ferror(file_)) whole = false;
  if (std::fclose(file_) != 0 && error_ == 0) error_ = errno;
  file_ = nullptr;
  return whole && error_ == 0;
}

}  // namespace orlenta
