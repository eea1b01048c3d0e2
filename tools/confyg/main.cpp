// SPDX-License-Identifier: GPL-3.0-or-later
// confyg: Orlenta's configuration program, a window or (with options) a command.
#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "confyg_command.h"
#include "confyg_dialog.h"
#include "confyg_translation.h"
#include "settings_store.h"

namespace {

// Shows the configuration window over the user's settings; the exit status of confyg.
int RunWindow(const orlenta::ConfygPaths& paths) {
  const std::optional<orlenta::RecoverySettings> record = orlenta::LoadSettingsForEditing(paths);
  const auto drives = orlenta::LoadDriveMapFile(paths.driveMapFile);
  if (!record || !drives) {
    QMessageBox::critical(
        nullptr, "Orlenta settings",
        QString("Could not read %1.")
            .arg(QString::fromStdString(record ? paths.driveMapFile : paths.settingsFile)));
    return orlenta::kConfygFileError;
  }
  const orlenta::ConfygTranslation translation(record->LanguageIndex());
  orlenta::ConfygDialog dialog(paths, *record, *drives);
  dialog.exec();
  return orlenta::kConfygOk;
}

}  // namespace

int main(int argc, char** argv) {
  auto parsed = orlenta::ParseConfygOptions(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const auto& options = std::get<orlenta::ConfygOptions>(parsed);
  if (options.RunsWithoutWindow()) {
    // No display is needed here: the first run of the program calls this before its window.
    QCoreApplication application(argc, argv);
    const auto paths = orlenta::DefaultConfygPaths(application.applicationDirPath().toStdString());
    return orlenta::RunConfygCommand(options, paths, std::cout, std::cerr);
  }
  QApplication application(argc, argv);
  return RunWindow(orlenta::DefaultConfygPaths(application.applicationDirPath().toStdString()));
}
