// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>
#include <string>

#include "app/main_dialog.h"
#include "engine/settings_record.h"
#include "recording_shell.h"
#include "support/temp_dir.h"

class QTreeWidgetItem;

namespace orlenta {

// A main window over a settings file, a drive map and an output folder of its own, with
// a recording desktop in place of the real one.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;

  // The settings the window starts with; change them before Start().
  RecoverySettings settings;

  // Writes the settings file and the drive map, then initialises and shows the window.
  void StartWindow(DesktopShell& shell);
  void StartWindow() { StartWindow(shell); }
  // Starts a new window over the settings file as it is now (a restart of the program).
  void StartWindowOverCurrentSettings();
  void MapDrive(char letter, const std::string& path);

  // Selects a tree item the way a user does: opens the root and clicks the item.
  void ClickTreeItem(QTreeWidgetItem* item);
  QTreeWidgetItem* RootItem() const;
  QTreeWidgetItem* DriveItem(int index) const;
  void Click(ControlId id);
  QStringList LogLines() const;
  bool Visible(ControlId id) const;

  std::string OutputFolder() const { return temp.Folder() + "out/"; }
  std::string InstallFolder() const { return temp.Folder() + "install"; }
  std::string SettingsPath() const { return temp.File("propCD.pro"); }

  void OpenWindow(DesktopShell& desktop);

  TempDir temp;
  RecordingShell shell;
  std::string driveMap;
  std::unique_ptr<CMainDialog> window;
};

}  // namespace orlenta
