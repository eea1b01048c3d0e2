// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_command.h"

#include <filesystem>

#include "engine/options_file.h"
#include "engine/settings_record.h"
#include "languages.h"
#include "platform/system_folders.h"
#include "settings_store.h"
#include "value_checks.h"

namespace orlenta {
namespace {

// The first value of the command line that cannot be stored; passed when there is none.
ValueCheck FirstProblem(const ConfygOptions& options) {
  if (ValueCheck check = CheckSettingsEdit(options.edit); !check.Passed()) return check;
  for (const auto& [letter, path] : options.drives) {
    if (ValueCheck check = CheckDriveLetter(letter); !check.Passed()) return check;
    if (path.empty()) continue;
    if (ValueCheck check = CheckDrivePath(path); !check.Passed()) return check;
  }
  return {};
}

// Creates or completes the settings file. Returns the exit status: kConfygOk, or another
// (having said why) when that failed.
int Init(const ConfygPaths& paths, std::ostream& out, std::ostream& err) {
  const std::string& file = paths.settingsFile;
  switch (InitSettings(paths)) {
    case InitOutcome::kCreated:
      out << "confyg: created " << file << '\n';
      return kConfygOk;
    case InitOutcome::kKept:
      return kConfygOk;
    case InitOutcome::kRepaired:
      out << "confyg: completed the damaged settings file " << file << '\n';
      return kConfygOk;
    case InitOutcome::kUnreadable:
      err << "confyg: cannot read " << file << '\n';
      return kConfygFileError;
    case InitOutcome::kDefaultFolderTooLong:
      err << "confyg: the default output folder " << DefaultOutputFolderWithSeparator()
          << " is longer than the " << RecoverySettings::kMaxFolderLength
          << " characters the settings file can hold; nothing was written\n";
      return kConfygUsage;
    case InitOutcome::kWriteFailed:
      break;
  }
  err << "confyg: cannot write " << file << '\n';
  return kConfygFileError;
}

// Says what went wrong with an edit of `file`; true when it was stored.
bool Told(EditOutcome outcome, const std::string& file, std::ostream& err) {
  switch (outcome) {
    case EditOutcome::kStored:
      return true;
    case EditOutcome::kUnreadable:
      err << "confyg: cannot read " << file << '\n';
      return false;
    case EditOutcome::kWriteFailed:
      break;
  }
  err << "confyg: cannot write " << file << "; it is left as it was\n";
  return false;
}

// Stores `key`=`value` in the options file beside the settings.
bool StoreOption(const ConfygPaths& paths, const std::string& key, const std::string& value,
                 std::ostream& err) {
  const std::string file = OptionsPathBeside(paths.settingsFile);
  std::error_code error;  // a failure shows as the write's
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
  if (SaveOption(file, key, value)) return true;
  err << "confyg: cannot write " << file << "; it is left as it was\n";
  return false;
}

bool Show(const ConfygPaths& paths, std::ostream& out, std::ostream& err) {
  const std::optional<RecoverySettings> record = LoadSettingsForEditing(paths);
  const auto drives = LoadDriveMapFile(paths.driveMapFile);
  if (!record || !drives) {
    err << "confyg: cannot read the settings\n";
    return false;
  }
  out << "settings file: " << paths.settingsFile << '\n'
      << "name stem: " << record->NameStem() << '\n'
      << "output folder: " << record->OutputFolder() << '\n'
      << "open folder when done: " << (record->OpenFolderWhenDone() == 1 ? "yes" : "no") << '\n'
      << "language: " << record->LanguageIndex() << " ("
      << kLanguageNames[static_cast<std::size_t>(record->LanguageIndex())] << ")\n"
      << "install folder: " << record->InstallFolder() << '\n'
      << "recovery: "
      << RecoveryChoiceWord(LoadRecoveryChoice(OptionsPathBeside(paths.settingsFile))) << '\n'
      << "names: " << (NamesChosen(OptionsPathBeside(paths.settingsFile)) ? "on" : "off") << '\n'
      << "audio: " << (AudioTracksWanted(OptionsPathBeside(paths.settingsFile)) ? "on" : "off")
      << '\n'
      << "speed: " << LoadOption(OptionsPathBeside(paths.settingsFile), "speed").value_or("0")
      << '\n'
      << "paranoia: "
      << (AudioErrorCorrectionWanted(OptionsPathBeside(paths.settingsFile)) ? "on" : "off") << '\n';
  const std::string options = OptionsPathBeside(paths.settingsFile);
  const std::string kinds = LoadOption(options, "kinds").value_or("");
  out << "kinds: " << (kinds.empty() ? "all" : kinds) << '\n'
      << "min size: " << LoadOption(options, "min-size").value_or("0") << '\n'
      << "min pixels: " << LoadOption(options, "min-pixels").value_or("0x0") << '\n'
      << "by kind: " << (FilesSortedByKind(options) ? "on" : "off") << '\n';
  for (const auto& [letter, path] : *drives) out << "drive " << letter << ": " << path << '\n';
  return true;
}

}  // namespace

int RunConfygCommand(const ConfygOptions& options, const ConfygPaths& paths, std::ostream& out,
                     std::ostream& err) {
  if (ValueCheck check = FirstProblem(options); !check.Passed()) {
    err << "confyg: " << EnglishText(check) << "; nothing was changed\n";
    return kConfygUsage;
  }
  if (options.init) {
    if (const int status = Init(paths, out, err); status != kConfygOk) return status;
  }
  if (!options.edit.Empty() && !Told(EditSettings(paths, options.edit), paths.settingsFile, err)) {
    return kConfygFileError;
  }
  if (!options.drives.empty() &&
      !Told(EditDriveMapFile(paths.driveMapFile, options.drives), paths.driveMapFile, err)) {
    return kConfygFileError;
  }
  if (options.recovery &&
      !StoreOption(paths, "recovery", RecoveryChoiceWord(*options.recovery), err)) {
    return kConfygFileError;
  }
  if (options.names && !StoreOption(paths, "names", *options.names, err)) return kConfygFileError;
  if (options.audio && !StoreOption(paths, "audio", *options.audio, err)) return kConfygFileError;
  if (options.paranoia && !StoreOption(paths, "paranoia", *options.paranoia, err)) {
    return kConfygFileError;
  }
  if (options.speed && !StoreOption(paths, "speed", std::to_string(*options.speed), err)) {
    return kConfygFileError;
  }
  const std::pair<const std::optional<std::string>&, const char*> filter[] = {
      {options.kinds, "kinds"},
      {options.minSize, "min-size"},
      {options.minPixels, "min-pixels"},
      {options.byKind, "by-kind"}};
  for (const auto& [value, key] : filter) {
    if (value && !StoreOption(paths, key, *value, err)) return kConfygFileError;
  }
  if (options.show && !Show(paths, out, err)) return kConfygFileError;
  return kConfygOk;
}

}  // namespace orlenta
