// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "engine/settings_record.h"
#include "recording_shell.h"
#include "support/temp_dir.h"

class QTreeWidgetItem;

namespace orlenta {

class CBmpMenu;

// The popup menu now on screen, or nullptr.
CBmpMenu* ShownMenu();
// Points at the item at `position` of `menu` and clicks it, through the menu's window.
void ClickMenuItem(CBmpMenu& menu, int position);
// Presses and releases `key` in `menu`'s window.
void PressInMenu(CBmpMenu& menu, Qt::Key key);

// A main window over a settings file, a drive map and an output folder of its own, with
// a recording desktop in place of the real one.
//
// The window is always modal, as the program runs it. StartWindow shows it with the very
// modality that DoModal's exec() gives it, and leaves the test's own code to drive it step
// by step from outside the dialog's loop; RunModal runs DoModal itself, steps inside.
// Clicks and keys go through the window system, which drops input that a modal window
// does not let through.
class WindowTest : public ::testing::Test {
 protected:
  using Step = std::function<void()>;  // one step of RunModal

  WindowTest();
  ~WindowTest() override;

  // The settings the window starts with; change them before Start().
  RecoverySettings settings;

  // Writes the settings file and the drive map, then initialises the window and shows it
  // modal.
  void StartWindow(DesktopShell& shell);
  void StartWindow() { StartWindow(shell); }
  // Writes the settings file and the drive map and runs the window as the program does,
  // with DoModal, running `steps` one after another from inside its loop; the last step
  // must end the dialog. Returns what DoModal returned.
  int RunModal(std::vector<Step> steps);
  // Starts a new window over the settings file as it is now (a restart of the program).
  void StartWindowOverCurrentSettings();
  void MapDrive(char letter, const std::string& path);

  // Selects a tree item the way a user does: opens the root and clicks the item.
  void ClickTreeItem(QTreeWidgetItem* item);
  QTreeWidgetItem* RootItem() const;
  QTreeWidgetItem* DriveItem(int index) const;
  void Click(ControlId id);
  // Presses and releases `key` over the window.
  void Press(Qt::Key key);
  QStringList LogLines() const;
  // From now on, records every line the log list is given in `linesAdded`, also those that
  // a later clearing of the list takes away.
  void WatchLog();
  QStringList linesAdded;
  bool Visible(ControlId id) const;

  std::string OutputFolder() const { return temp.Folder() + "out/"; }
  std::string InstallFolder() const { return temp.Folder() + "install"; }
  std::string SettingsPath() const { return temp.File("propCD.pro"); }

  void OpenWindow(DesktopShell& desktop);
  void WriteSettingsAndDrives();
  MainDialogSetup Setup(DesktopShell& desktop) const;

  TempDir temp;
  RecordingShell shell;
  std::string driveMap;
  std::unique_ptr<CMainDialog> window;
};

}  // namespace orlenta
