// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/system_folders.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Recovers the sample disc with the command-line carver into `folder`.
void CarveWithCommandLine(const std::string& folder) {
  const int status = QProcess::execute(
      ORLENTA_CARVE_BINARY,
      {ORLENTA_SAMPLE_DISC, QString::fromStdString(folder), "--stem", "REC", "--quiet"});
  ASSERT_EQ(status, 0);
}

// A run of the window over the sample disc, mapped as drive E.
class WindowRunTest : public WindowTest {
 protected:
  void SetUp() override { MapDrive('E', ORLENTA_SAMPLE_DISC); }

  // Clicks `id` as soon as the run shows its Stop button. The window answers from the
  // moment Start is pressed, while the drive is still being opened.
  void ClickDuringRun(ControlId id) {
    auto* poll = new QTimer(window.get());
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, window.get(), [this, id, poll] {
      if (!Visible(kStopButtonId)) return;
      poll->stop();
      clickedWhileRunning = window->IsRunning() && Visible(kStopButtonId) &&
                            Visible(kProgressBarId) && !Visible(kStartButtonId);
      Click(id);
    });
    poll->start();
  }

  bool clickedWhileRunning = false;
};

TEST_F(WindowRunTest, StartRecoversTheSameFilesAsTheCommandLine) {
  settings.SetOpenFolderWhenDone(1);
  StartWindow();
  ClickTreeItem(DriveItem(0));
  Click(kStartButtonId);

  const std::string reference = temp.Folder() + "reference/";
  CarveWithCommandLine(reference);
  const std::vector<std::string> files = ListFolder(OutputFolder());
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(files, ListFolder(reference));
  // Each file's line is still there to be read once the run is over, above the closing line.
  const QStringList log = LogLines();
  for (const std::string& name : files) {
    EXPECT_EQ(ReadFileBytes(OutputFolder() + name), ReadFileBytes(reference + name)) << name;
    EXPECT_TRUE(log.contains(QString::fromStdString("File recovered: " + OutputFolder() + name)))
        << name;
  }
  EXPECT_EQ(log.size(), static_cast<qsizetype>(files.size()) + 1);
  EXPECT_EQ(log.back(), " Process completed!");
  EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Process completed!", "Orlenta"}));
  EXPECT_EQ(window->windowTitle(), "Orlenta");
  EXPECT_TRUE(Visible(kStartButtonId));
  EXPECT_FALSE(Visible(kStopButtonId));
  EXPECT_FALSE(Visible(kProgressBarId));
  EXPECT_THAT(shell.openedPaths, ElementsAre(QString::fromStdString(OutputFolder())));
  EXPECT_TRUE(std::filesystem::is_directory(DefaultOutputFolder()));
}

TEST_F(WindowRunTest, StopEndsTheRunWithTheAbortMessage) {
  settings.SetLanguageIndex(2);
  StartWindow();
  ClickTreeItem(DriveItem(0));
  ClickDuringRun(kStopButtonId);
  Click(kStartButtonId);
  EXPECT_TRUE(clickedWhileRunning);
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{" Processus de rétablissement interrompu!", "Orlenta"}));
  ASSERT_FALSE(LogLines().isEmpty());
  EXPECT_EQ(LogLines().back(), " Processus de rétablissement interrompu!");
  EXPECT_THAT(shell.openedPaths, IsEmpty());
  EXPECT_LT(window->Run().Reader().SectorsRead(), 8u);
}

TEST_F(WindowRunTest, EscapeDuringARunEndsTheDialogOnlyOnceTheRunIsOver) {
  StartWindow();
  ClickTreeItem(DriveItem(0));
  bool visibleAtTheEnd = false;
  shell.onMessage = [&] { visibleAtTheEnd = window->isVisible(); };
  QTimer::singleShot(0, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
  Click(kStartButtonId);
  EXPECT_TRUE(visibleAtTheEnd);
  EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Process completed!", "Orlenta"}));
  EXPECT_FALSE(window->isVisible());
  EXPECT_THAT(shell.exitCodes, IsEmpty());
}

TEST_F(WindowRunTest, AMissingSettingsFileDuringARunEndsTheProgram) {
  StartWindow();
  std::filesystem::remove(SettingsPath());
  ClickTreeItem(DriveItem(0));
  Click(kStartButtonId);
  ASSERT_FALSE(shell.messages.empty());
  EXPECT_EQ(shell.messages.front(), (ShellMessage{"Missing file. Please reinstall!", "Orlenta"}));
  EXPECT_EQ(shell.exitCodes.front(), 1);
  EXPECT_THAT(ListFolder(OutputFolder()), IsEmpty());
}

}  // namespace
}  // namespace orlenta
