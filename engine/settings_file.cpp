// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "file_carver.h"
#include "replace_file.h"

namespace orlenta {

const LocalizedText WriteErrorText = {
    "",
    "Error writing file. Quit any application that might use the file!",
    "Erreur pour le dossier .  Stoppez l'application qui pourrait employer le dossier!",
    "Störungsschreibensakte.  Beendigen Sie jede mögliche Anwendung, die die Datei benutzen "
    "konnte!",
    "Errore per la lima.  Rinunci l'applicazione che potrebbe usare la lima!",
    "Error para el archivo .  ¡Pare el uso que pudo utilizar el archivo!",
    "Eroare scriere fisier. Inchideti orice fisier care ar putea folosi fisierul!",
};

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForReading(const std::string& path) {
  return File(std::fopen(path.c_str(), "rb"));
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// What the settings file holds, and how many bytes of the record it really has.
struct ReadResult {
  RecoverySettings record;
  std::size_t bytes = 0;
};

std::optional<ReadResult> ReadRecordBytes(const std::string& path) {
  // Only a plain file is opened: a FIFO put in its place would hold the open until some
  // other program wrote to it, and a device could be anything.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const File file = OpenForReading(path);
  if (!file) return std::nullopt;
  std::array<uint8_t, RecoverySettings::kSize> bytes{};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  // A short file reads as zero-padded; a file that fails to read is not read at all.
  if (std::ferror(file.get())) return std::nullopt;
  return ReadResult{RecoverySettings::FromBytes(std::span(bytes.data(), got)), got};
}

std::optional<RecoverySettings> ReadRecord(const std::string& path) {
  const std::optional<ReadResult> read = ReadRecordBytes(path);
  if (!read) return std::nullopt;
  return read->record;
}

bool IsControlCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

bool HoldsControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsControlCharacter);
}

LoadedSettings LoadSettings(const std::string& path) {
  if (!Exists(path)) return {SettingsStatus::kMissing, {}, 0};
  const std::optional<ReadResult> read = ReadRecordBytes(path);
  if (!read) return {SettingsStatus::kUnreadable, {}, 0};
  return {SettingsStatus::kLoaded, read->record, read->bytes};
}

std::string OutputFolderProblem(const LoadedSettings& settings) {
  const auto& bytes = settings.record.Bytes();
  const auto field = bytes.begin() + RecoverySettings::kOutputFolderOffset;
  const auto end = std::find(field, field + RecoverySettings::kMaxFolderLength + 1, uint8_t{0});
  const auto terminator = static_cast<std::size_t>(end - bytes.begin());
  if (end == field + RecoverySettings::kMaxFolderLength + 1 || terminator >= settings.bytes) {
    return "the output folder does not end inside its field (a damaged or cut-short file)";
  }
  const std::string folder = settings.record.OutputFolder();
  if (folder.empty()) return "";
  if (HoldsControlCharacter(folder)) {
    return "the output folder holds control characters (a damaged file)";
  }
  if (folder.front() != '/') return "the output folder \"" + folder + "\" is not an absolute path";
  return "";
}

std::optional<std::string> ReadOutputFolder(const std::string& path) {
  const LoadedSettings settings = LoadSettings(path);
  if (settings.status != SettingsStatus::kLoaded || !OutputFolderProblem(settings).empty()) {
    return std::nullopt;
  }
  return settings.record.OutputFolder();
}

bool VerifySettings(const std::string& path) {
  const std::optional<RecoverySettings> record = ReadRecord(path);
  return record && record->CheckValue() == record->ComputedCheckValue();
}

int32_t ComputeCheckValue(const std::string& path) {
  const std::optional<RecoverySettings> record = ReadRecord(path);
  return record ? record->ComputedCheckValue() : 0;
}

bool WriteSettingsFile(const std::string& path, const RecoverySettings& record) {
  const auto& bytes = record.Bytes();
  std::array<uint8_t, RecoverySettings::kSize + 4> whole{};
  std::copy(bytes.begin(), bytes.end(), whole.begin());
  const auto check = static_cast<uint32_t>(record.ComputedCheckValue());
  for (std::size_t i = 0; i < 4; ++i)
    whole[RecoverySettings::kSize + i] = (check >> (8 * i)) & 0xFF;
  return ReplaceFileContents(path, whole);
}

void SaveLanguage(const std::string& path, int language, MessageSink& messages) {
  bool checksPassed = true;
  if (!Exists(path)) {
    messages.ShowMessage(PickText(MissingFileText, language), "Orlenta");
    checksPassed = false;
  }
  if (!VerifySettings(path)) {
    messages.ShowMessage(PickText(MissingFileText, language), "Orlenta");
    checksPassed = false;
  }
  std::optional<RecoverySettings> record = ReadRecord(path);
  if (!record) {
    messages.ShowMessage(PickText(WriteErrorText, language), "Orlenta");
    return;
  }
  if (!checksPassed) return;
  record->SetLanguageIndex(language);
  if (!WriteSettingsFile(path, *record)) {
    messages.ShowMessage(PickText(WriteErrorText, language), "Orlenta");
  }
}

}  // namespace orlenta
