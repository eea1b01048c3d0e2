// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/localized_text.h"
#include "engine/replace_file.h"
#include "engine/settings_file.h"
#include "platform/settings_lock.h"
#include "platform/system_folders.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

bool CreateParentFolder(const std::string& path) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  return !error;
}

// True when the file holds a whole record whose check value agrees with it.
bool IsWhole(const std::string& path, const RecoverySettings& record) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return !error && size >= RecoverySettings::kSize &&
         record.CheckValue() == record.ComputedCheckValue();
}

// `record` with the fields a damaged file lost filled in.
RecoverySettings Repaired(RecoverySettings record, const std::string& installFolder) {
  if (record.InstallFolder().empty() &&
      installFolder.size() <= RecoverySettings::kMaxFolderLength) {
    record.SetInstallFolder(installFolder);
  }
  if (record.RawLanguageIndex() != record.LanguageIndex()) record.SetLanguageIndex(kEnglish);
  record.UpdateCheckValue();
  return record;
}

std::span<const uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string FolderOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

// The whole text of the file at `path`: "" when there is none, nullopt when it is there but
// cannot be read.
std::optional<std::string> ReadText(const std::string& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return std::string();
  // Only a plain file is opened: a FIFO in its place would hold the open until some other
  // program wrote to it.
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(file)), {});
  if (file.bad()) return std::nullopt;
  return text;
}

}  // namespace

RecoverySettings DefaultSettings(const std::string& installFolder) {
  RecoverySettings record;
  record.SetNameStem("REC");
  // An output folder too long for its field is left empty, which stands for the default
  // folder, rather than cut into the name of another one.
  if (DefaultOutputFolderWithSeparator().size() <= RecoverySettings::kMaxFolderLength) {
    record.SetOutputFolder(DefaultOutputFolderWithSeparator());
  }
  record.SetOpenFolderWhenDone(0);
  record.SetLanguageIndex(kEnglish);
  // A cut path would name some other folder: rather none, and the program then finds no help.
  if (installFolder.size() <= RecoverySettings::kMaxFolderLength) {
    record.SetInstallFolder(installFolder);
  }
  record.UpdateCheckValue();
  return record;
}

InitOutcome InitSettings(const ConfygPaths& paths) {
  const SettingsLock lock(FolderOf(paths.settingsFile));
  if (!lock.Held()) return InitOutcome::kWriteFailed;
  const LoadedSettings loaded = LoadSettings(paths.settingsFile);
  RecoverySettings record;
  InitOutcome outcome = InitOutcome::kCreated;
  switch (loaded.status) {
    case SettingsStatus::kUnreadable:
      return InitOutcome::kUnreadable;
    case SettingsStatus::kMissing:
      // Stored cut short, the path would name some other folder.
      if (DefaultOutputFolderWithSeparator().size() > RecoverySettings::kMaxFolderLength) {
        return InitOutcome::kDefaultFolderTooLong;
      }
      record = DefaultSettings(paths.installFolder);
      break;
    case SettingsStatus::kLoaded:
      if (IsWhole(paths.settingsFile, loaded.record)) return InitOutcome::kKept;
      record = Repaired(loaded.record, paths.installFolder);
      outcome = InitOutcome::kRepaired;
      break;
  }
  return StoreSettings(paths, record) ? outcome : InitOutcome::kWriteFailed;
}

std::optional<RecoverySettings> LoadSettingsForEditing(const ConfygPaths& paths) {
  const LoadedSettings loaded = LoadSettings(paths.settingsFile);
  switch (loaded.status) {
    case SettingsStatus::kLoaded:
      return loaded.record;
    case SettingsStatus::kMissing:
      return DefaultSettings(paths.installFolder);
    case SettingsStatus::kUnreadable:
      break;
  }
  return std::nullopt;
}

bool StoreSettings(const ConfygPaths& paths, const RecoverySettings& record) {
  return CreateParentFolder(paths.settingsFile) && WriteSettingsFile(paths.settingsFile, record);
}

EditOutcome EditSettings(const ConfygPaths& paths, const SettingsEdit& edit) {
  const SettingsLock lock(FolderOf(paths.settingsFile));
  if (!lock.Held()) return EditOutcome::kWriteFailed;
  std::optional<RecoverySettings> record = LoadSettingsForEditing(paths);
  if (!record) return EditOutcome::kUnreadable;
  ApplySettingsEdit(edit, *record);
  return StoreSettings(paths, *record) ? EditOutcome::kStored : EditOutcome::kWriteFailed;
}

EditOutcome EditDriveMapFile(const std::string& path, const DriveChanges& changes) {
  const SettingsLock lock(FolderOf(path));
  if (!lock.Held()) return EditOutcome::kWriteFailed;
  const std::optional<std::string> text = ReadText(path);
  if (!text) return EditOutcome::kUnreadable;
  const std::string edited = EditDriveMapText(*text, changes);
  return CreateParentFolder(path) && ReplaceFileContents(path, AsBytes(edited))
             ? EditOutcome::kStored
             : EditOutcome::kWriteFailed;
}

}  // namespace orlenta
