// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "platform/drive_map_file.h"
#include "support/step_runner.h"
#include "ui/bmp_menu.h"

namespace orlenta {
namespace {

// Time between two steps of RunModal, and how long the dialog may stay open after them.
constexpr int kStepDelayMs = 40;
constexpr int kModalTimeoutMs = 5000;

// A left click at `point` of `widget`, given to the window it lies in.
void ClickThroughWindow(QWidget* widget, QPoint point) {
  QWidget* top = widget->window();
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, point));
}

}  // namespace

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

void WindowTest::WriteSettingsAndDrives() {
  const auto& bytes = settings.Bytes();
  ASSERT_TRUE(WriteFileBytes(SettingsPath(), {bytes.begin(), bytes.end()}));
  std::ofstream(temp.File(kDriveMapFileName)) << driveMap;
}

void WindowTest::StartWindow(DesktopShell& desktop) {
  WriteSettingsAndDrives();
  OpenWindow(desktop);
}

void WindowTest::StartWindowOverCurrentSettings() {
  OpenWindow(shell);
}

MainDialogSetup WindowTest::Setup(DesktopShell& desktop) const {
  MainDialogSetup setup;
  setup.settingsPath = SettingsPath();
  // No real optical drive of the machine running the tests gets into the tree.
  setup.drivePaths = {temp.File(kDriveMapFileName), temp.File("no-sys"), temp.File("no-dev")};
  setup.shell = &desktop;
  return setup;
}

void WindowTest::OpenWindow(DesktopShell& desktop) {
  window = std::make_unique<CMainDialog>(Setup(desktop));
  ASSERT_TRUE(window->OnInitDialog());
  // What exec() does before it enters the dialog's loop.
  window->setAttribute(Qt::WA_ShowModal, true);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_TRUE(window->windowHandle()->modality() == Qt::ApplicationModal);
}

int WindowTest::RunModal(std::vector<Step> steps) {
  WriteSettingsAndDrives();
  window = std::make_unique<CMainDialog>(Setup(shell));
  const int stepCount = static_cast<int>(steps.size());
  StepRunner runner(std::move(steps), kStepDelayMs);
  // A dialog still open once every step has had its turn is ended, with any menu open
  // over it, and the test fails.
  bool timedOut = false;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, [this, &timedOut] {
    timedOut = true;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* menu = qobject_cast<CBmpMenu*>(widget)) menu->CloseChain();
    window->done(QDialog::Rejected);
  });
  timeout.start(kStepDelayMs * (stepCount + 1) + kModalTimeoutMs);
  const int result = window->DoModal();
  EXPECT_FALSE(timedOut) << "the steps did not end the dialog";
  return result;
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
  ClickThroughWindow(tree.viewport(), tree.visualItemRect(item).center());
}

void WindowTest::Click(ControlId id) {
  QWidget* control = window->Control(id);
  ClickThroughWindow(control, control->rect().center());
}

void WindowTest::Press(Qt::Key key) {
  QTest::keyClick(window->windowHandle(), key);
}

CBmpMenu* ShownMenu() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* menu = qobject_cast<CBmpMenu*>(widget); menu && menu->isVisible()) return menu;
  }
  return nullptr;
}

void ClickMenuItem(CBmpMenu& menu, int position) {
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
  const QPoint item = menu.Strip()->ItemRect(position).center();
  QTest::mouseMove(menu.windowHandle(), menu.Strip()->mapTo(&menu, item));
  ClickThroughWindow(menu.Strip(), item);
}

void PressInMenu(CBmpMenu& menu, Qt::Key key) {
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
  QTest::keyClick(menu.windowHandle(), key);
}

QStringList WindowTest::LogLines() const {
  const auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
  QStringList lines;
  for (int row = 0; row < log->count(); ++row) lines << log->item(row)->text();
  return lines;
}

void WindowTest::WatchLog() {
  auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
  QObject::connect(log->model(), &QAbstractItemModel::rowsInserted,
                   [this, log](const QModelIndex&, int first, int last) {
                     for (int row = first; row <= last; ++row) linesAdded << log->item(row)->text();
                   });
}

bool WindowTest::Visible(ControlId id) const {
  return window->Control(id)->isVisible();
}

}  // namespace orlenta
