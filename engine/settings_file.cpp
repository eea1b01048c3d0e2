// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

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

std::optional<RecoverySettings> ReadRecord(const std::string& path) {
  const File file = OpenForReading(path);
  if (!file) return std::nullopt;
  std::array<uint8_t, RecoverySettings::kSize> bytes{};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  // A short file reads as zero-padded; a file that fails to read is not read at all.
  if (std::ferror(file.get())) return std::nullopt;
  return RecoverySettings::FromBytes(std::span(bytes.data(), got));
}

}  // namespace

LoadedSettings LoadSettings(const std::string& path) {
  if (!Exists(path)) return {SettingsStatus::kMissing, {}};
  const std::optional<RecoverySettings> record = ReadRecord(path);
  if (!record) return {SettingsStatus::kUnreadable, {}};
  return {SettingsStatus::kLoaded, *record};
}

std::optional<std::string> ReadOutputFolder(const std::string& path) {
  const std::optional<RecoverySettings> record = ReadRecord(path);
  if (!record) return std::nullopt;
  return record->OutputFolder();
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
