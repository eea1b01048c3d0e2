// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QListWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "platform/drive_map_file.h"

namespace orlenta {

void ExitingShell::EndProcess(int exitCode) {
  std::exit(exitCode);
}

WindowTest::WindowTest() {
  settings.SetNameStem("REC");
  settings.SetOutputFolder(OutputFolder());
  settings.SetInstallFolder(InstallFolder());
  settings.SetLanguageIndex(1);
  settings.UpdateCheckValue();
  std::filesystem::create_directory(OutputFolder());
}

WindowTest::~WindowTest() = default;

void WindowTest::MapDrive(char letter, const std::string& path) {
  driveMap += std::string(1, letter) + "=" + path + "\n";
}

void WindowTest::StartWindow(DesktopShell& desktop) {
  const auto& bytes = settings.Bytes();
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), {bytes.begin(), bytes.end()}));
  std::ofstream(temp.File(kDriveMapFileName)) << driveMap;
  OpenWindow(desktop);
}

void WindowTest::StartWindowOverCurrentSettings() {
  OpenWindow(shell);
}

void WindowTest::OpenWindow(DesktopShell& desktop) {
  MainDialogSetup setup;
  setup.settingsPath = SettingsPath();
  // No real optical drive of the machine running the tests gets into the tree.
  setup.drivePaths = {temp.File(kDriveMapFileName), temp.File("no-sys"), temp.File("no-dev")};
  setup.shell = &desktop;
  window = std::make_unique<CMainDialog>(setup);
  ASSERT_TRUE(window->OnInitDialog());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

QTreeWidget& Tree(const CMainDialog& window) {
  return *static_cast<QTreeWidget*>(window.Control(kDriveTreeId));
}

QTreeWidgetItem* WindowTest::RootItem() const {
  return Tree(*window).topLevelItem(0);
}

QTreeWidgetItem* WindowTest::DriveItem(int index) const {
  return RootItem()->child(index);
}

void WindowTest::ClickTreeItem(QTreeWidgetItem* item) {
  QTreeWidget& tree = Tree(*window);
  RootItem()->setExpanded(true);
  tree.scrollToItem(item);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

void WindowTest::Click(ControlId id) {
  QTest::mouseClick(window->Control(id), Qt::LeftButton);
}

QStringList WindowTest::LogLines() const {
  const auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
  QStringList lines;
  for (int row = 0; row < log->count(); ++row) lines << log->item(row)->text();
  return lines;
}

bool WindowTest::Visible(ControlId id) const {
  return window->Control(id)->isVisible();
}

}  // namespace orlenta
