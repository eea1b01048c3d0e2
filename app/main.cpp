// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta: the window. Pick a drive, press Start, and every photo, sound and video whose
// header starts a sector of the disc is written to the output folder.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "desktop_shell.h"
#include "first_run.h"
#include "main_dialog.h"
#include "platform/system_folders.h"

namespace {

constexpr int kUsage = 2;

// Reads the command line before anything needs a display or the settings, so that --help and
// --version work anywhere: a core application needs no display, and is gone before the window's
// own is made. The exit status to end with at once, or -1 to open the window.
int HandleCommandLine(int argc, char* argv[]) {
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName("orlenta");
  QCoreApplication::setApplicationVersion(ORLENTA_VERSION);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Recovers photos, sound and video from CDs, DVDs and disc images in a window. Pick a "
      "drive, press Start, and every file whose header starts a sector is written to the "
      "output folder. The command-line carver is orlenta-carve; the settings are edited with "
      "confyg.");
  // Qt's own help option would also offer its window options, which this reading refuses.
  const QCommandLineOption help({"h", "help"}, "Displays this help and exits.");
  parser.addOption(help);
  const QCommandLineOption version({"v", "version"}, "Displays the version and exits.");
  parser.addOption(version);
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "orlenta: %s\nTry 'orlenta --help'.\n", qPrintable(parser.errorText()));
    return kUsage;
  }
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "orlenta: unexpected argument '%s'\nTry 'orlenta --help'.\n",
                 qPrintable(parser.positionalArguments().first()));
    return kUsage;
  }
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("orlenta %s\n", ORLENTA_VERSION);
    return 0;
  }
  return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const int status = HandleCommandLine(argc, argv); status >= 0) return status;
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
