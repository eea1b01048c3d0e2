// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/launchers.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A sparse image of `sectors` 2,048-byte sectors: as big as a disc, free to make.
std::string SparseImage(const TempDir& temp, const std::string& name, uint64_t sectors) {
  const std::string path = temp.File(name);
  std::ofstream(path).close();
  std::filesystem::resize_file(path, sectors * 2048);
  return path;
}

TEST_F(WindowTest, StartsWithStopAndProgressHiddenTheTreeCollapsedAndTheLogEmpty) {
  MapDrive('F', SparseImage(temp, "f.iso", 10));
  MapDrive('D', SparseImage(temp, "d.iso", 10));
  MapDrive('N', SparseImage(temp, "n.iso", 10));
  StartWindow();
  EXPECT_EQ(window->windowTitle(), "Orlenta");
  EXPECT_TRUE(Visible(kStartButtonId));
  EXPECT_FALSE(Visible(kStopButtonId));
  EXPECT_FALSE(Visible(kProgressBarId));
  EXPECT_THAT(LogLines(), IsEmpty());
  auto* tree = static_cast<QTreeWidget*>(window->Control(kDriveTreeId));
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(RootItem()->text(0), "CD/DVD Drives");
  EXPECT_FALSE(RootItem()->isExpanded());
  ASSERT_EQ(RootItem()->childCount(), 2);
  EXPECT_EQ(DriveItem(0)->text(0), "CD/DVD Drive D");
  EXPECT_EQ(DriveItem(1)->text(0), "CD/DVD Drive F");
  // Every control sits where the window's layout puts it.
  // Every control sits where the window's layout puts it; the buttons take the size of
  // their pictures.
  for (const ControlPlace& place : kControlPlaces) {
    EXPECT_EQ(window->Control(place.id)->pos(), ControlRect(place.id).topLeft()) << place.id;
  }
  EXPECT_EQ(window->Control(kDriveTreeId)->size(), ControlRect(kDriveTreeId).size());
  EXPECT_EQ(ControlRect(kDriveTreeId), QRect(68, 102, 179, 284));
  EXPECT_EQ(window->Control(kStartButtonId)->size(), QSize(44, 46));
  EXPECT_EQ(window->Control(kExitButtonId)->size(), QSize(37, 38));
  EXPECT_EQ(window->Control(kDriveTreeId)->parentWidget()->size(), QSize(632, 400));
}

TEST_F(WindowTest, StartWithoutADriveSelectedAsksForOneAndChangesNothing) {
  MapDrive('E', SparseImage(temp, "e.iso", 10));
  StartWindow();
  Click(kStartButtonId);
  ClickTreeItem(RootItem());
  Click(kStartButtonId);
  const ShellMessage selectItem{"Please select an item", "Tessaline"};
  EXPECT_THAT(shell.messages, ElementsAre(selectItem, selectItem));
  EXPECT_TRUE(Visible(kStartButtonId));
  EXPECT_FALSE(Visible(kStopButtonId));
  EXPECT_FALSE(Visible(kProgressBarId));
  EXPECT_THAT(LogLines(), IsEmpty());
}

TEST_F(WindowTest, SelectingADriveShowsTheFiguresOfItsMedium) {
  MapDrive('E', SparseImage(temp, "cd.iso", 333000));
  MapDrive('F', SparseImage(temp, "empty.iso", 0));
  StartWindow();
  ClickTreeItem(DriveItem(0));
  EXPECT_THAT(LogLines(), ElementsAre("Capacity 666000 KB", "Number of sectors 333000 ",
                                      "Bytes per sector 2048 "));
  ClickTreeItem(RootItem());  // the root leaves the lines as they are
  EXPECT_EQ(LogLines().size(), 3);
  ClickTreeItem(DriveItem(1));
  EXPECT_THAT(LogLines(), ElementsAre("Not inserted or not ready."));
}

TEST_F(WindowTest, MediaFiguresSpeakTheLanguageOfTheSettings) {
  settings.SetLanguageIndex(3);
  MapDrive('E', SparseImage(temp, "dvd.iso", 2295104));  // a 4.7 GB DVD
  StartWindow();
  ClickTreeItem(DriveItem(0));
  EXPECT_THAT(LogLines(), ElementsAre("Kapazität 4590208 KB", "Zahl der Sektoren 2295104 ",
                                      "Bytes pro Sektor 2048 "));
}

TEST_F(WindowTest, EnterLeavesTheWindowOpen) {
  StartWindow();
  QTest::keyClick(window.get(), Qt::Key_Return);
  QTest::keyClick(window->Control(kExitButtonId), Qt::Key_Enter);
  EXPECT_TRUE(window->isVisible());
  EXPECT_THAT(shell.exitCodes, IsEmpty());
}

TEST_F(WindowTest, EscapeEndsTheDialogWithoutEndingTheProcess) {
  StartWindow();
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_THAT(shell.exitCodes, IsEmpty());
}

TEST_F(WindowTest, ExitAndTheCloseBoxEndTheProcessWithCodeOne) {
  StartWindow();
  Click(kExitButtonId);
  EXPECT_THAT(shell.exitCodes, ElementsAre(1));
  window->show();
  window->close();
  EXPECT_THAT(shell.exitCodes, ElementsAre(1, 1));
}

TEST_F(WindowTest, ExitEndsTheRealProcessWithCodeOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ExitingShell exiting;
        StartWindow(exiting);
        Click(kExitButtonId);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST_F(WindowTest, HelpOpensThePageOfTheLanguageAndSettingsStartsTheConfigurationProgram) {
  settings.SetLanguageIndex(4);
  StartWindow();
  Click(kHelpButtonId);
  Click(kSettingsButtonId);
  Click(kSettingsButtonId);  // twice: two copies, as asked
  const QString install = QString::fromStdString(InstallFolder());
  EXPECT_THAT(shell.openedPaths, ElementsAre(install + "/indexIta.htm"));
  EXPECT_THAT(shell.startedPrograms, ElementsAre(install + "/confyg", install + "/confyg"));
  EXPECT_THAT(shell.messages, IsEmpty());
}

TEST_F(WindowTest, HelpWithNothingToOpenThePageNamesItInTheCurrentLanguage) {
  settings.SetLanguageIndex(2);
  shell.canOpen = false;
  StartWindow();
  Click(kHelpButtonId);
  const QString page = QString::fromStdString(InstallFolder()) + "/indexfr.htm";
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{"La page d'aide ne peut pas être ouverte ici. Ouvrez-la "
                                       "dans un navigateur :\n" +
                                           page,
                                       "Orlenta"}));
}

TEST_F(WindowTest, WithNoDriveTheLogSaysHowToAddADiscImage) {
  settings.SetLanguageIndex(3);
  StartWindow();
  EXPECT_EQ(RootItem()->childCount(), 0);
  EXPECT_THAT(LogLines(),
              ElementsAre("Kein Laufwerk.", "Abbild hinzufügen: Einstellungen, Laufwerke."));
  ClickTreeItem(RootItem());  // the root has nothing to show instead
  EXPECT_EQ(LogLines().size(), 2);
}

TEST_F(WindowTest, TheNoDriveHintFitsTheLogListInEveryLanguage) {
  for (int language = 1; language <= 6; ++language) {
    settings.SetLanguageIndex(language);
    settings.UpdateCheckValue();
    StartWindow();
    auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
    const int room = log->viewport()->width() -
                     2 * log->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, log);
    for (const QString& line : LogLines()) {
      EXPECT_LE(log->fontMetrics().horizontalAdvance(line), room)
          << language << ": " << line.toStdString();
    }
  }
}

TEST_F(WindowTest, TheLogListShowsItsScrollBarOnlyWhenItsLinesOverflow) {
  MapDrive('E', SparseImage(temp, "e.iso", 10));
  StartWindow();
  auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
  EXPECT_FALSE(log->verticalScrollBar()->isVisible());
  for (int line = 0; line < 40; ++line) log->addItem(QString("File recovered: %1").arg(line));
  EXPECT_TRUE(QTest::qWaitFor([log] { return log->verticalScrollBar()->isVisible(); }, 1000));
}

TEST(Launchers, EachLanguageHasItsPageAndRomanianReadsEnglish) {
  EXPECT_EQ(HelpPagePath("/opt/orlenta", 1), "/opt/orlenta/index.htm");
  EXPECT_EQ(HelpPagePath("/opt/orlenta/", 2), "/opt/orlenta/indexfr.htm");
  EXPECT_EQ(HelpPagePath("/opt/orlenta", 3), "/opt/orlenta/indexde.htm");
  EXPECT_EQ(HelpPagePath("/opt/orlenta", 5), "/opt/orlenta/indexesp.htm");
  EXPECT_EQ(HelpPagePath("/opt/orlenta", 6), "/opt/orlenta/index.htm");
  EXPECT_EQ(HelpPagePath("/opt/orlenta", 9), "/opt/orlenta/index.htm");
  EXPECT_EQ(ConfygPath(""), "/confyg");
  const std::string longFolder(400, 'x');
  EXPECT_EQ(ConfygPath("/" + longFolder), "/" + longFolder + "/confyg");
}

class StartUpTest : public WindowTest {
 protected:
  bool Init() {
    MainDialogSetup setup{SettingsPath(), {temp.File("drives"), temp.File("no-sys"), ""}, &shell};
    window = std::make_unique<CMainDialog>(setup);
    return window->OnInitDialog();
  }
};

TEST_F(StartUpTest, AMissingSettingsFileAsksForAReinstallAndEndsTheProgram) {
  EXPECT_FALSE(Init());
  EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{"Error! Please reinstall!", "Orlenta"}));
  EXPECT_THAT(shell.exitCodes, ElementsAre(1));
}

TEST_F(StartUpTest, AnUnreadableSettingsFileEndsTheProgramSilently) {
  std::filesystem::create_directory(SettingsPath());
  EXPECT_FALSE(Init());
  EXPECT_THAT(shell.messages, IsEmpty());
  EXPECT_THAT(shell.exitCodes, ElementsAre(1));
}

}  // namespace
}  // namespace orlenta
