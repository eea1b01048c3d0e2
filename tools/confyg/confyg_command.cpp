// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_command.h"

#include "languages.h"
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

// Creates or completes the settings file; false (having said why) when that failed.
bool Init(const ConfygPaths& paths, std::ostream& out, std::ostream& err) {
  const std::string& file = paths.settingsFile;
  switch (InitSettings(paths)) {
    case InitOutcome::kCreated:
      out << "confyg: created " << file << '\n';
      return true;
    case InitOutcome::kKept:
      return true;
    case InitOutcome::kRepaired:
      out << "confyg: completed the damaged settings file " << file << '\n';
      return true;
    case InitOutcome::kUnreadable:
      err << "confyg: cannot read " << file << '\n';
      return false;
    case InitOutcome::kWriteFailed:
      break;
  }
  err << "confyg: cannot write " << file << '\n';
  return false;
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
      << "install folder: " << record->InstallFolder() << '\n';
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
  if (options.init && !Init(paths, out, err)) return kConfygFileError;
  if (!options.edit.Empty() && !Told(EditSettings(paths, options.edit), paths.settingsFile, err)) {
    return kConfygFileError;
  }
  if (!options.drives.empty() &&
      !Told(EditDriveMapFile(paths.driveMapFile, options.drives), paths.driveMapFile, err)) {
    return kConfygFileError;
  }
  if (options.show && !Show(paths, out, err)) return kConfygFileError;
  return kConfygOk;
}

}  // namespace orlenta
