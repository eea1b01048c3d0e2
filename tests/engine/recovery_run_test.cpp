// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/recovery_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/file_kind.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kCompleted = " Process completed!";
const std::string kAborted = " Recovery process aborted!";

class RecoveryRunTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    host.outputFolder = out.Folder();
  }

  std::shared_ptr<MemoryVolume> Insert(uint64_t sectors,
                                       const std::vector<std::pair<uint64_t, int>>& headers,
                                       char letter = 'E') {
    return source.Assign(letter, std::make_shared<MemoryVolume>(BuildVolume(sectors, headers)));
  }

  TempDir out;
  MemoryVolumeSource source;
  RecordingHost host;
  RecoveryRun run{source, host};
};

TEST_F(RecoveryRunTest, NothingSelectedIsRefusedAndNothingElseChanges) {
  Insert(4, {{0, kJpeg}});
  host.selectedDrive = std::nullopt;
  host.language = 3;
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kRefused);
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{"Please select an item", "Tessaline"}));
  EXPECT_THAT(host.events, ElementsAre("message"));
  EXPECT_EQ(host.pumps, 0);
  EXPECT_EQ(source.Opens('E'), 0);
}

TEST_F(RecoveryRunTest, DriveNotReadyIsToldAndNotScannedWithAnEarlierCount) {
  Insert(5, {});
  ASSERT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  host = {};
  host.selectedDrive = 'Q';
  host.language = 3;
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kNotReady);
  EXPECT_THAT(host.messages,
              ElementsAre(ShownMessage{"Nicht eingesetzt oder nicht vorbereiten.", "Orlenta"}));
  EXPECT_THAT(host.events, ElementsAre("message"));
  EXPECT_EQ(host.pumps, 0);
}

TEST_F(RecoveryRunTest, EmptyVolumeCompletesAtOnce) {
  Insert(0, {});
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  EXPECT_THAT(host.events,
              ElementsAre("running", "clear", "idle", "message", "title", "log", "title"));
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{kCompleted, "Orlenta"}));
  EXPECT_THAT(host.log, ElementsAre(kCompleted));
  EXPECT_THAT(host.titles, ElementsAre("Orlenta", "Orlenta"));
  EXPECT_THAT(host.runningStates, ElementsAre(true, false));
}

TEST_F(RecoveryRunTest, StopEndsTheRunAfterTheNextReadWithoutClassifyingIt) {
  Insert(50, {{9, kJpeg}});
  host.language = 2;
  host.OnPump(10, [this] { run.OnStop(); });  // during the read of sector 9
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kAborted);
  const std::string aborted = " Processus de rétablissement interrompu!";
  EXPECT_THAT(host.log, ElementsAre(aborted));
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{aborted, "Orlenta"}));
  EXPECT_EQ(host.progress.size(), 9u);
  EXPECT_THAT(ListFolder(out.Path()), IsEmpty());
}

TEST_F(RecoveryRunTest, RecoversEachHeaderAsItsExactRunOfSectors) {
  const auto volume = Insert(19, {{0, kJpeg},
                                  {6, kGif},
                                  {7, kGif},
                                  {9, kWave},
                                  {12, kJpeg},
                                  {13, kJpeg},
                                  {15, kAvi},
                                  {18, kPng}});
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  struct Expected {
    const char* name;
    uint64_t first, count;
  };
  const std::vector<Expected> files = {
      {"1REC.jpg", 0, 6},  {"1REC.gif", 6, 1},  {"2REC.gif", 7, 2},  {"1REC.wav", 9, 3},
      {"2REC.jpg", 12, 1}, {"3REC.jpg", 13, 2}, {"1REC.avi", 15, 3}, {"1REC.png", 18, 1}};
  std::vector<std::string> lines;
  for (const Expected& file : files) {
    EXPECT_EQ(ReadFileBytes(out.File(file.name)),
              SectorRange(volume->Bytes(), file.first, file.count))
        << file.name;
    lines.push_back("File recovered: " + out.File(file.name));
  }
  EXPECT_EQ(ListFolder(out.Path()).size(), files.size());
  // Each file's line stays in the log after the run, the closing line below them.
  lines.push_back(kCompleted);
  EXPECT_EQ(host.log, lines);
  EXPECT_EQ(run.Carver().FilesStarted()[kJpeg], 3u);
  EXPECT_EQ(run.Members().KindCounters[kGif], 2);
}

TEST_F(RecoveryRunTest, CountersRestartWithEveryRun) {
  const auto volume = Insert(3, {{0, kJpeg}});
  TempDir second;
  ASSERT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  host.outputFolder = second.Folder();
  ASSERT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  for (const auto* folder : {&out, &second}) {
    EXPECT_THAT(ListFolder(folder->Path()), ElementsAre("1REC.jpg"));
    EXPECT_EQ(ReadFileBytes(folder->File("1REC.jpg")), volume->Bytes());
  }
}

TEST_F(RecoveryRunTest, ProgressOfEverySectorAndOfTheCarverPastTheEnd) {
  Insert(4, {}, 'E');
  Insert(4, {{0, kJpeg}}, 'F');
  run.RunRecovery();
  EXPECT_THAT(host.progress, ElementsAre(0, 25, 50, 75));
  host.progress.clear();
  host.selectedDrive = 'F';
  run.RunRecovery();
  // The carve runs to the end (and past it: 100); the scan has nothing left to do.
  EXPECT_THAT(host.progress, ElementsAre(0, 25, 50, 75, 100));
}

TEST_F(RecoveryRunTest, AFileThatRunsToTheEndIsFollowedByNoSecondReadOfTheDisc) {
  // The last header comes early: everything after it was read and judged by the carver.
  const auto volume = Insert(3000, {{2, kJpeg}, {9, kGif}});
  volume->FailSector(700);  // one failing block is re-read sector by sector
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("1REC.gif", "1REC.jpg"));
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), SectorRange(volume->Bytes(), 2, 7));
  std::vector<uint8_t> gif = SectorRange(volume->Bytes(), 9, 2991);
  std::fill(gif.begin() + (700 - 9) * 2048, gif.begin() + (701 - 9) * 2048, uint8_t{0});
  EXPECT_EQ(ReadFileBytes(out.File("1REC.gif")), gif);
  EXPECT_EQ(host.log.size(), 3u);
  EXPECT_EQ(host.log.back(), kCompleted);
  // Each sector once, the header that ended the first file twice (the scan steps back to
  // it): the described scan would read the 2,990 sectors after the GIF's header again.
  EXPECT_EQ(run.Reader().SectorsRead(), 3000u + 1);
  EXPECT_EQ(run.Reader().UnreadableSectors(), 1u);
}

TEST_F(RecoveryRunTest, ADiscWhoseEveryReadFailsIsNotReadyNeverCompleted) {
  const auto volume = Insert(40, {{3, kJpeg}});
  for (uint64_t sector = 0; sector < 40; ++sector) volume->FailSector(sector);
  host.language = 2;
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kUnreadable);
  EXPECT_THAT(host.messages,
              ElementsAre(ShownMessage{"Non inséré ou ne pas préparer.", "Orlenta"}));
  EXPECT_THAT(host.log, ElementsAre("Non inséré ou ne pas préparer."));
}

TEST_F(RecoveryRunTest, AMediumThatGoesAwayStopsTheRunAndTheFileKeepsWhatWasRead) {
  const auto volume = Insert(3000, {{0, kJpeg}});
  const std::vector<uint8_t> original = volume->Bytes();
  host.OnPump(600, [&] { volume->Shrink(700); });  // the disc is taken out
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kMediumGone);
  EXPECT_TRUE(run.Reader().MediumGone());
  // Sectors 0..699 were really read; nothing is made up after them.
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")).size(), 700u * 2048);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), SectorRange(original, 0, 700));
  EXPECT_THAT(host.log,
              ElementsAre("File recovered: " + out.File("1REC.jpg"), "Not inserted or not ready."));
}

TEST_F(RecoveryRunTest, UnreadableSectorBecomesZerosInTheFileAndIsCountedOnce) {
  const auto volume = Insert(6, {{1, kJpeg}});
  volume->FailSector(3);
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  std::vector<uint8_t> expected = SectorRange(volume->Bytes(), 1, 5);
  std::fill(expected.begin() + 2 * 2048, expected.begin() + 3 * 2048, uint8_t{0});
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), expected);
  EXPECT_EQ(run.Reader().UnreadableSectors(), 1u);
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{kCompleted, "Orlenta"}));
}

TEST_F(RecoveryRunTest, VolumeThatCannotBeOpenedForReadingIsToldOnceAndAborts) {
  Insert(100, {});
  source.FailOpen('E', 1);  // the geometry query still succeeds
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kAborted);
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{"Error initiating reading", "Orlenta"},
                                         ShownMessage{kAborted, "Orlenta"}));
  EXPECT_THAT(host.log, ElementsAre(kAborted));
}

TEST_F(RecoveryRunTest, FileThatCannotBeCreatedLetsTheScanGoOnAfterItsHeader) {
  Insert(4, {{0, kJpeg}, {2, kGif}});
  const std::string missing = out.Folder() + "missing/";
  host.outputFolder = missing;
  EXPECT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  EXPECT_THAT(host.fileErrorPaths, ElementsAre(missing + "1REC.jpg", missing + "1REC.gif"));
  EXPECT_THAT(host.progress, ElementsAre(0, 25, 50, 75));
  EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(RecoveryRunTest, RemovedSettingsEndTheProgramAtTheNextHeader) {
  Insert(4, {{1, kJpeg}});
  host.outputFolder = std::nullopt;
  run.RunRecovery();
  EXPECT_THAT(host.endProgramCodes, ElementsAre(1));
  EXPECT_EQ(host.messages.front(), (ShownMessage{"Missing file. Please reinstall!", "Orlenta"}));
  EXPECT_THAT(ListFolder(out.Path()), IsEmpty());
}

class OpenFolderAtTheEnd : public RecoveryRunTest,
                           public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(OpenFolderAtTheEnd, OnlyWhenAsked) {
  const auto [openWhenDone, stopped] = GetParam();
  Insert(20, {});
  host.openFolderWhenDone = openWhenDone;
  if (stopped) host.OnPump(3, [this] { run.OnStop(); });
  EXPECT_EQ(run.RunRecovery(), stopped ? RunOutcome::kAborted : RunOutcome::kCompleted);
  if (openWhenDone) {
    ASSERT_GE(host.events.size(), 5u);
    const std::vector<std::string> tail(host.events.end() - 5, host.events.end());
    EXPECT_THAT(tail, ElementsAre("message", "title", "log", "open", "title"));
  }
  EXPECT_EQ(host.openFolderCalls, openWhenDone ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(FlagAndEnd, OpenFolderAtTheEnd,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

}  // namespace
}  // namespace orlenta
