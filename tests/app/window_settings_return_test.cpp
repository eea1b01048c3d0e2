// SPDX-License-Identifier: GPL-3.0-or-later
// What the window does once confyg, started from Settings, has ended, and with drives whose
// image is gone; and Help whose opener fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "platform/drive_map_file.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;

std::string Image(const TempDir& temp, const std::string& name) {
  const std::string path = temp.File(name);
  std::ofstream(path).close();
  std::filesystem::resize_file(path, 20 * 2048);
  return path;
}

class SettingsReturnTest : public WindowTest {
 protected:
  // What confyg does to the drive map file: writes it anew.
  void ConfygWritesDrives(const std::string& text) {
    std::ofstream(temp.File(kDriveMapFileName)) << text;
  }
  QTreeWidget& Tree() const { return *static_cast<QTreeWidget*>(window->Control(kDriveTreeId)); }
  QStringList DriveTexts() const {
    QStringList texts;
    for (int i = 0; i < RootItem()->childCount(); ++i) texts << DriveItem(i)->text(0);
    return texts;
  }
};

TEST_F(SettingsReturnTest, TheTreeIsReadAgainWhenConfygEndsAndTheSelectionStays) {
  const std::string d = Image(temp, "d.iso");
  MapDrive('D', d);
  StartWindow();
  EXPECT_EQ(LogLines().size(), 0);
  ClickTreeItem(DriveItem(0));
  Click(kSettingsButtonId);
  ASSERT_TRUE(shell.programEnded);

  const std::string f = Image(temp, "f.iso");
  ConfygWritesDrives("F=" + f + "\nD=" + d + "\n");
  EXPECT_THAT(DriveTexts(), ElementsAre("CD/DVD Drive D"));  // nothing before confyg ends
  shell.programEnded();
  EXPECT_THAT(DriveTexts(), ElementsAre("CD/DVD Drive D", "CD/DVD Drive F"));
  ASSERT_NE(Tree().currentItem(), nullptr);
  EXPECT_EQ(Tree().currentItem()->text(0), "CD/DVD Drive D");
  EXPECT_TRUE(Tree().currentItem()->isSelected());
  EXPECT_THAT(LogLines(),
              ElementsAre("Capacity 40 KB", "Number of sectors 20 ", "Bytes per sector 2048 "));
}

TEST_F(SettingsReturnTest, ConfygEndingDuringARunLeavesTheRunsLinesToRead) {
  const std::string d = Image(temp, "d.iso");
  MapDrive('D', d);
  StartWindow();
  ClickTreeItem(DriveItem(0));
  Click(kSettingsButtonId);
  ASSERT_TRUE(shell.programEnded);
  const std::string f = Image(temp, "f.iso");
  // confyg is closed while the run tells its end.
  shell.onMessage = [&] {
    ConfygWritesDrives("D=" + d + "\nF=" + f + "\n");
    shell.programEnded();
  };
  Click(kStartButtonId);
  EXPECT_THAT(DriveTexts(), ElementsAre("CD/DVD Drive D", "CD/DVD Drive F"));
  ASSERT_NE(Tree().currentItem(), nullptr);
  EXPECT_EQ(Tree().currentItem()->text(0), "CD/DVD Drive D");
  EXPECT_THAT(LogLines(), ElementsAre(" Process completed!"));
}

TEST_F(SettingsReturnTest, TheFirstRunHintLeadsToADriveOnceConfygHasSavedOne) {
  const QStringList kHint = {"No drive.", "Add a disc image: Settings, Drives."};
  StartWindow();
  EXPECT_EQ(RootItem()->childCount(), 0);
  EXPECT_EQ(LogLines(), kHint);
  Click(kSettingsButtonId);
  ConfygWritesDrives("E=" + Image(temp, "e.iso") + "\n");
  shell.programEnded();
  EXPECT_THAT(DriveTexts(), ElementsAre("CD/DVD Drive E"));
  EXPECT_FALSE(LogLines().contains(kHint[1]));  // followed: it has nothing more to say
  ConfygWritesDrives("");
  shell.programEnded();
  shell.programEnded();
  EXPECT_EQ(LogLines(), kHint);
}

TEST_F(SettingsReturnTest, ADriveWhoseImageIsGoneStaysMarkedAndSaysWhy) {
  const std::string gone = temp.File("gone.iso");
  MapDrive('E', Image(temp, "e.iso"));
  MapDrive('G', gone);
  settings.SetLanguageIndex(3);
  StartWindow();
  EXPECT_THAT(DriveTexts(), ElementsAre("CD/DVD Drive E", "CD/DVD Drive G"));
  EXPECT_TRUE(DriveItem(0)->toolTip(0).isEmpty());
  EXPECT_EQ(DriveItem(1)->toolTip(0), QString::fromStdString(gone));
  EXPECT_FALSE(DriveItem(1)->icon(0).isNull());
  ClickTreeItem(DriveItem(1));
  EXPECT_THAT(LogLines(),
              ElementsAre("Das Abbild dieses Laufwerks fehlt:", QString::fromStdString(gone)));
  // Start on it says what it says of any drive without a medium.
  Click(kStartButtonId);
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{"Nicht eingesetzt oder nicht vorbereiten.", "Orlenta"}));
}

TEST_F(SettingsReturnTest, ADeletedImageIsMarkedOnceConfygEndsAndItsFiguresGo) {
  const std::string e = Image(temp, "e.iso");
  MapDrive('E', e);
  StartWindow();
  ClickTreeItem(DriveItem(0));
  Click(kSettingsButtonId);
  std::filesystem::remove(e);
  shell.programEnded();
  EXPECT_EQ(DriveItem(0)->toolTip(0), QString::fromStdString(e));
  EXPECT_THAT(LogLines(),
              ElementsAre("The disc image of this drive is missing:", QString::fromStdString(e)));
}

TEST_F(SettingsReturnTest, AHelpOpenerThatFailsIsToldLikeAMissingOne) {
  StartWindow();
  Click(kHelpButtonId);
  EXPECT_TRUE(shell.messages.empty());
  ASSERT_TRUE(shell.openerFailed);
  shell.openerFailed();
  const QString page = QString::fromStdString(InstallFolder()) + "/index.htm";
  EXPECT_THAT(
      shell.messages,
      ElementsAre(ShellMessage{
          "The help page cannot be opened here. Open it in a web browser:\n" + page, "Orlenta"}));
}

}  // namespace
}  // namespace orlenta
