// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_carver.h"

#include "recovered_file.h"
#include "sector_buffer.h"

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
  const std::optional<std::string> folder = host_.OutputFolderForNextFile();
  if (!folder) {
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
  observed_ = observer_ != nullptr;
  if (observed_) observer_->FileStarted(file.Path(), kind, run_.CurrentSector);
  if (!Append(file, DriveGeometry.bytesPerSector)) return FailWrite(file);
  host_.AddLogLine(FormatText(PickText(FileRecoveredText, host_.LanguageIndex()), file.Path()));
  const int32_t result = CopyUntilNextHeader(file);
  if (result == kCarveStopped && file.Error() != 0) return FailWrite(file);
  if (!file.Close()) return FailWrite(file);
  ++whole_[kind];
  if (observed_) observer_->FileEnded(true);
  observed_ = false;
  return result;
}

int32_t FileCarver::CopyUntilNextHeader(RecoveredFile& file) {
  const uint32_t bytesPerSector = DriveGeometry.bytesPerSector;
  uint64_t sectorsInFile = 1;
  for (;;) {
    ++run_.CurrentSector;
    reader_.ReadSectors(run_.CurrentDriveLetter, run_.CurrentSector, 1);
    if (StopFlag) return kCarveStopped;
    host_.SetProgress(ProgressPercent(run_.CurrentSector, TotalSectors));
    host_.PumpOneMessage();
    if (run_.CurrentSector >= DriveGeometry.SectorCount()) return kCarveToEnd;
    if (DetectFileKind() != kNoHeader) {
      return sectorsInFile > 1 ? kCarveToHeader : kCarveOneSector;
    }
    if (!Append(file, bytesPerSector)) return kCarveStopped;
    ++sectorsInFile;
  }
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
  if (observed_) observer_->BytesWritten({SectorBuffer.data(), length});
  return true;
}

}  // namespace orlenta
