// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_carver.h"

#include <filesystem>
#include <optional>

#include "end_finder_driver.h"
#include "recovered_file.h"
#include "sector_buffer.h"
#include "settings_file.h"

namespace orlenta {

const LocalizedText FileRecoveredText = {
    "",
    "File recovered: %s",
    "Fichier récupéré: %s",
    "Akte zurückgewonnen: %s",
    "La lima ha recuperato: %s",
    "Archivo recuperado: %s",
    "Fisier recuperat: %s",
};

const LocalizedText MissingFileText = {
    "",
    "Missing file. Please reinstall!",
    "Ne peut pas trouver file.Svp réinstaller!",
    "Fehlende file.Bitte installieren wieder!",
    "Non può trovare file.Prego reinstallare!",
    "¡No puede encontrar file.¡Por favor para reinstalar!",
    "Fisier lipsa. Va rugam reinstalati!",
};

namespace {
constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 20;
}

FileCarver::FileCarver(RunMembers& run, SectorReader& reader, RunHost& host)
    : run_(run),
      reader_(reader),
      host_(host),
      streamBuffer_(std::make_unique_for_overwrite<char[]>(kStreamBufferBytes)) {}

int32_t FileCarver::CarveFile(FileKind kind) {
  if (kind <= kNoHeader || static_cast<std::size_t>(kind) >= kKindSlots) return kCarveStopped;
  if (!filter_.KeepsAtStart(kind, {SectorBuffer.data(), reader_.SectorDataBytes()})) {
    return PassOver(kind);
  }
  const std::optional<std::string> folder = host_.OutputFolderFor(kind);
  // A name stem with control characters comes from a damaged settings file, as a folder
  // with them does, and is refused the same way.
  if (!folder || HoldsControlCharacter(host_.NameStem())) {
    host_.ShowMessage(PickText(MissingFileText, kEnglish), "Orlenta");
    host_.EndProgram(1);
    StopFlag = true;  // reached only when the host lets the program live on
    return kCarveStopped;
  }
  RecoveredFile file;
  if (!file.Create(*folder, host_.NameStem(), kind, run_.KindCounters[kind],
                   {streamBuffer_.get(), kStreamBufferBytes})) {
    return FailCreate(file);
  }
  ++started_[kind];
  headerSector_ = run_.CurrentSector;
  cutLength_ = 0;
  endVerified_ = false;
  observed_ = observer_ != nullptr;
  if (observed_) observer_->FileStarted(file.Path(), kind, run_.CurrentSector);
  if (!Append(file, reader_.SectorDataBytes())) return FailWrite(file);
  if (!filter_.TellsAtEnd()) {
    host_.AddLogLine(FormatText(PickText(FileRecoveredText, host_.LanguageIndex()), file.Path()));
  }
  const int32_t result = FollowFile(file, kind);
  if (result == kCarveStopped && file.Error() != 0) return FailWrite(file);
  if (!file.Close()) return FailWrite(file);
  EndFile(file, kind);
  return result;
}

int32_t FileCarver::FollowFile(RecoveredFile& file, FileKind kind) {
  std::unique_ptr<EndFinder> finder = rules_->FinderFor(kind);
  if (!finder) return CopyUntilNextHeader(file);
  EndFinderDriver driver(std::move(finder));
  return FollowStructure(file, driver);
}

int32_t FileCarver::PassOver(FileKind kind) {
  // Carved exactly as a written file, so that the scan goes on where it would have.
  RecoveredFile nowhere;
  nowhere.OpenNowhere();
  headerSector_ = run_.CurrentSector;
  cutLength_ = 0;
  endVerified_ = false;
  observed_ = false;
  return FollowFile(nowhere, kind);
}

bool FileCarver::DropWhenTooSmall(RecoveredFile& file, FileKind kind, uint64_t length) {
  if (filter_.KeepsAtEnd(length)) {
    if (filter_.TellsAtEnd()) {
      host_.AddLogLine(FormatText(PickText(FileRecoveredText, host_.LanguageIndex()), file.Path()));
    }
    return false;
  }
  // Never there as far as the run is concerned: its number goes to the next file of its kind.
  std::error_code ignored;
  std::filesystem::remove(file.Path(), ignored);
  --run_.KindCounters[kind];
  --started_[kind];
  if (observed_) observer_->FileDropped();
  observed_ = false;
  return true;
}

void FileCarver::EndFile(RecoveredFile& file, FileKind kind) {
  if (cutLength_ != 0) {
    // Cut only once closed, so that no buffered byte lands past the new end.
    std::error_code error;
    std::filesystem::resize_file(file.Path(), cutLength_, error);
    if (error) {
      if (observed_) observer_->FileEnded(false);
      observed_ = false;
      incomplete_.push_back(file.Path());
      hadFileError_ = true;
      host_.FileError(file.Path(), error.value());
      return;
    }
    if (observed_) observer_->FileCut(cutLength_);
  }
  if (DropWhenTooSmall(file, kind, cutLength_ != 0 ? cutLength_ : file.Size())) return;
  if (endVerified_) {
    ++verified_[kind];
    if (observed_) observer_->FileEndVerified();
  } else if (rules_->FollowsStructures()) {
    unverified_.push_back(file.Path());
  }
  ++whole_[kind];
  if (observed_) observer_->FileEnded(true);
  observed_ = false;
}

int32_t FileCarver::CopyUntilNextHeader(RecoveredFile& file, uint64_t sectorsInFile) {
  const uint32_t bytesPerSector = DriveGeometry.bytesPerSector;
  for (;;) {
    ++run_.CurrentSector;
    reader_.ReadSectors(run_.CurrentDriveLetter, run_.CurrentSector, 1);
    if (StopFlag) return kCarveStopped;
    host_.SetProgress(ProgressPercent(run_.CurrentSector, TotalSectors));
    host_.PumpOneMessage();
    if (run_.CurrentSector >= DriveGeometry.SectorCount()) return kCarveToEnd;
    if (rules_->Detect(SectorBuffer.data(), bytesPerSector) != kNoHeader) {
      return sectorsInFile > 1 ? kCarveToHeader : kCarveOneSector;
    }
    if (!Append(file, reader_.SectorDataBytes())) return kCarveStopped;
    ++sectorsInFile;
  }
}

int32_t FileCarver::FollowStructure(RecoveredFile& file, EndFinderDriver& driver) {
  const uint32_t bytesPerSector = DriveGeometry.bytesPerSector;
  // The finder is fed each sector's data only, so it counts the file's own bytes even over
  // the sectors of both forms of a raw Mode 2 volume.
  uint64_t length = reader_.SectorDataBytes();
  uint64_t sectors = 1;
  sectorRuns_.Start(headerSector_, reader_.SectorDataBytes());
  // The first sector inside the file that looks like a header, and the file's length up
  // to it: where the file ends after all when its structure cannot be followed.
  std::optional<uint64_t> innerHeader;
  uint64_t lengthToInnerHeader = 0;
  const uint64_t unreadableAtStart = reader_.UnreadableSectors();
  const uint64_t skippedAtStart = reader_.SkippedSectors();
  auto fallBack = [&](int32_t result) {
    return innerHeader ? CutBackToInnerHeader(*innerHeader, lengthToInnerHeader, result) : result;
  };
  auto state = driver.Feed({SectorBuffer.data(), reader_.SectorDataBytes()});
  for (;;) {
    if (state == EndFinderDriver::State::kEnded) return EndAt(driver, length);
    if (state == EndFinderDriver::State::kBroken) {
      if (innerHeader) return fallBack(kCarveToHeader);
      return CopyUntilNextHeader(file, sectors);
    }
    ++run_.CurrentSector;
    reader_.ReadSectors(run_.CurrentDriveLetter, run_.CurrentSector, 1);
    if (StopFlag) return fallBack(kCarveStopped);
    host_.SetProgress(ProgressPercent(run_.CurrentSector, TotalSectors));
    host_.PumpOneMessage();
    if (run_.CurrentSector >= DriveGeometry.SectorCount()) {
      if (driver.FinishAtVolumeEnd() == EndFinderDriver::State::kEnded) {
        return EndAt(driver, length);
      }
      return fallBack(innerHeader ? kCarveToHeader : kCarveToEnd);
    }
    if (!innerHeader && rules_->Detect(SectorBuffer.data(), bytesPerSector) != kNoHeader) {
      innerHeader = run_.CurrentSector;
      lengthToInnerHeader = length;
    }
    const uint32_t dataBytes = reader_.SectorDataBytes();
    if (!Append(file, dataBytes)) return kCarveStopped;
    length += dataBytes;
    ++sectors;
    // A sector that could not be read, or was jumped over in a bad zone, came back as zeros:
    // the structure cannot be trusted from here on, whatever the finder would make of them.
    // Nor can a file whose sectors change form too often to be mapped.
    const bool unreadable = reader_.UnreadableSectors() != unreadableAtStart ||
                            reader_.SkippedSectors() != skippedAtStart;
    state = unreadable || !sectorRuns_.Add(dataBytes)
                ? EndFinderDriver::State::kBroken
                : driver.Feed({SectorBuffer.data(), dataBytes});
  }
}

int32_t FileCarver::EndAt(const EndFinderDriver& driver, uint64_t written) {
  const uint64_t endLength = driver.EndLength();
  cutLength_ = endLength < written ? endLength : 0;
  // An end the structure only makes likely is where the file is cut, but not verified.
  endVerified_ = driver.EndCertain();
  run_.CurrentSector = sectorRuns_.SectorHolding(endLength);
  return kCarveToLength;
}

int32_t FileCarver::CutBackToInnerHeader(uint64_t innerHeader, uint64_t length, int32_t result) {
  // The scan goes on from the inner header, which may well start the next file.
  cutLength_ = length;
  run_.CurrentSector = innerHeader;
  return result;
}

int32_t FileCarver::FailWrite(RecoveredFile& file) {
  // The file keeps what was written; the user hears of it, and the scan goes on after the
  // header sector.
  file.Close();
  if (observed_) observer_->FileEnded(false);
  observed_ = false;
  incomplete_.push_back(file.Path());
  hadFileError_ = true;
  host_.FileError(file.Path(), file.Error());
  return kCarveStopped;
}

int32_t FileCarver::FailCreate(RecoveredFile& file) {
  ++notCreated_;
  hadFileError_ = true;
  host_.FileError(file.Path(), file.Error());
  return kCarveStopped;
}

bool FileCarver::Append(RecoveredFile& file, uint32_t length) {
  if (!file.Append(SectorBuffer.data(), length)) return false;
  if (!observed_) return true;
  const std::span<const uint8_t> bytes(SectorBuffer.data(), length);
  if (reader_.LastReadUnreadable()) {
    observer_->UnreadableBytesWritten(bytes);
  } else {
    observer_->BytesWritten(bytes);
  }
  return true;
}

}  // namespace orlenta
