// SPDX-License-Identifier: GPL-3.0-or-later
#include "recovery_run.h"

#include "file_kind.h"
#include "sector_buffer.h"

namespace orlenta {

const LocalizedText CompletionText = {
    "",
    " Process completed!",
    " Le processus a accompli!",
    " Prozeß durchgeführt!",
    " Processo realizzato!",
    " ¡El proceso terminó!",
    " Recuperarea s-a terminat",
};

const LocalizedText AbortText = {
    "",
    " Recovery process aborted!",
    " Processus de rétablissement interrompu!",
    " Wiederaufnahme Prozeß unterbrach!",
    " Processo di recupero interrotto!",
    " ¡Proceso de la recuperación interrumpió!",
    " Recuperarea se intrerupe!",
};

const LocalizedText NotReadyText = {
    "",
    "Not inserted or not ready.",
    "Non inséré ou ne pas préparer.",
    "Nicht eingesetzt oder nicht vorbereiten.",
    "Non inserito o non ready. ",
    "No insertado o no alistar. ",
    "Nu este insertat sau nu este gata ",
};

namespace {
constexpr const char* kTitle = "Orlenta";
}

RecoveryRun::RecoveryRun(VolumeSource& volumes, RunHost& host)
    : volumes_(volumes),
      host_(host),
      reader_(volumes, host, host),
      carver_(members_, reader_, host) {}

void RecoveryRun::OnStop() {
  StopFlag = true;
}

RunOutcome RecoveryRun::RunRecovery() {
  members_.KindCounters.fill(0);
  StopFlag = false;
  const std::optional<char> drive = host_.SelectedDrive();
  if (!drive) {
    host_.ShowMessage("Please select an item", "Tessaline");
    return RunOutcome::kRefused;
  }
  members_.CurrentDriveLetter = *drive;
  // A drive that cannot tell its size is not scanned at all, rather than scanned with the
  // sector count of an earlier medium.
  if (!QueryDriveGeometry(volumes_, *drive)) {
    host_.ShowMessage(PickText(NotReadyText, host_.LanguageIndex()), kTitle);
    return RunOutcome::kNotReady;
  }
  TotalSectors = DriveGeometry.SectorCount();
  host_.SetRunning(true);
  host_.ClearLog();
  if (listed_) PrepareListedFiles(*drive);
  reader_.BeginRun();
  Scan();
  reader_.Close();
  if (listed_) listed_->Finish();
  return Finish();
}

void RecoveryRun::Scan() {
  for (uint64_t i = 0; i < DriveGeometry.SectorCount(); ++i) {
    members_.CurrentSector = i;
    reader_.ReadSectors(members_.CurrentDriveLetter, members_.CurrentSector, 1);
    if (StopFlag) break;
    host_.SetProgress(ProgressPercent(members_.CurrentSector, TotalSectors));
    const FileKind kind = carver_.Rules().Detect(SectorBuffer.data(), DriveGeometry.bytesPerSector);
    if (listed_ && listed_->HidesHeader(i, kind)) {
      // The rest of a file written by name holds nothing to carve: where the volume can,
      // it goes to its file without being read here.
      i += reader_.HandOverToListedFile(i);
      continue;
    }
    if (kind == kNoHeader) continue;
    const int32_t result = carver_.CarveFile(kind);
    if (result == kCarveToHeader || result == kCarveOneSector) {
      // Step back so that the sector holding the new header is the next one processed.
      --members_.CurrentSector;
      i = members_.CurrentSector;
    } else if (result == kCarveToLength) {
      // The file's own end is known: the scan goes on at the sector after it.
      i = members_.CurrentSector;
    }
    host_.PumpOneMessage();
    // The file ran to the end of the volume: the carver has read and judged every sector
    // after its header and found no other header there, so scanning them again could find
    // nothing new. On a drive that would be minutes of reading for nothing.
    if (result == kCarveToEnd) break;
  }
}

void RecoveryRun::PrepareListedFiles(char drive) {
  // The directories are read through a volume of their own, before the scan opens its own.
  const std::unique_ptr<Volume> volume = volumes_.Open(drive);
  if (volume) listed_->Prepare(*volume, host_);
}

RunOutcome RecoveryRun::Outcome() const {
  if (reader_.MediumGone()) return RunOutcome::kMediumGone;
  if (StopFlag) return RunOutcome::kAborted;
  // A run whose every read failed found no medium to speak of: never a completed run.
  if (reader_.SectorsRead() > 0 && reader_.ReadableSectors() == 0) return RunOutcome::kUnreadable;
  return RunOutcome::kCompleted;
}

RunOutcome RecoveryRun::Finish() {
  host_.SetRunning(false);
  host_.ScanEnded(Outcome() == RunOutcome::kCompleted);
  // The lines told during the run stay, the closing line below them: the files' names are
  // there to be read once the run is over, until the next run empties the list. Stop
  // pressed while the front end read on after the scan ends the run as stopped.
  const RunOutcome outcome = Outcome();
  const LocalizedText& text = outcome == RunOutcome::kCompleted ? CompletionText
                              : outcome == RunOutcome::kAborted ? AbortText
                                                                : NotReadyText;
  const std::string_view closing = PickText(text, host_.LanguageIndex());
  host_.ShowRunEnd(closing);
  host_.SetTitle(kTitle);
  host_.AddLogLine(closing);
  if (host_.OpenFolderWhenDone()) host_.OpenOutputFolder();
  host_.SetTitle(kTitle);
  return outcome;
}

}  // namespace orlenta
