// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta: the window. Pick a drive, press Start, and every photo, sound and video whose
// header starts a sector of the disc is written to the output folder.
#include <QApplication>

#include "desktop_shell.h"
#include "first_run.h"
#include "main_dialog.h"
#include "platform/system_folders.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  orlenta::SystemDesktopShell shell;
  orlenta::MainDialogSetup setup;
  setup.settingsPath = orlenta::SettingsPath();
  setup.drivePaths.driveMapFile = orlenta::DefaultDriveMapFile();
  setup.shell = &shell;
  orlenta::PrepareFirstRun(setup.settingsPath, QCoreApplication::applicationDirPath());
  orlenta::CMainDialog dialog(setup);
  dialog.DoModal();
  return 0;
}
