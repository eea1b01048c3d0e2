// SPDX-License-Identifier: GPL-3.0-or-later
// Several sources in one command, run as a lab runs it: orlenta-carve as a process of its
// own, each source carved by a process of its own into a folder of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "carve_runner.h"
#include "child_summary.h"
#include "report_check.h"
#include "source_folder.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

class BatchTest : public ::testing::Test {
 protected:
  std::string Home() const { return dir_.Path().string(); }
  std::string Path(const std::string& name) const { return dir_.File(name); }
  std::string Err() const { return FileText(Path("stderr.txt")); }

  // The sample disc copied to `name` (folders made as needed); returns its path.
  std::string CopyOfSampleDisc(const std::string& name) {
    fs::create_directories(fs::path(Path(name)).parent_path());
    fs::copy_file(ORLENTA_SAMPLE_DISC, Path(name));
    return Path(name);
  }

  // A 16 GiB sparse image with a JPEG header at sector 0: its run lasts long enough to be
  // interrupted.
  std::string BigImage(const std::string& name) {
    std::ofstream(Path(name), std::ios::binary) << "\xFF\xD8\xFF\xE0";
    fs::resize_file(Path(name), uint64_t{16} << 30);
    return Path(name);
  }

  TempDir dir_;
};

TEST_F(BatchTest, ThreeSourcesOneFailingEachInAFolderOfItsOwnWithAReportThatChecksOut) {
  ASSERT_EQ(RunCarve(Home(), {"--quiet", ORLENTA_SAMPLE_DISC, Path("single")}), 0);
  const auto expected = CarvedFiles(Path("single"));
  // Two sources of the same name in different folders, and one that is not there.
  const std::string first = CopyOfSampleDisc("lab/a/disc.iso");
  const std::string second = CopyOfSampleDisc("lab/b/disc.iso");
  const int status = RunCarve(Home(), {"--quiet", "-j", "2", "--report", "report.xml", "-o",
                                       Path("root"), first, Path("lab/missing.iso"), second});
  EXPECT_EQ(status, 2) << Err();  // the worst of 0, 2 and 0
  EXPECT_EQ(ListFolder(Path("root")), (std::vector<std::string>{"disc", "disc-2"}));
  for (const auto& [folder, image] :
       {std::pair{Path("root/disc"), first}, std::pair{Path("root/disc-2"), second}}) {
    auto files = CarvedFiles(folder);
    files.erase("report.xml");
    EXPECT_EQ(files, expected) << folder;
    ExpectReportChecksOut(Report(folder + "/report.xml"), {folder}, image);
  }
  // One table: a row per source with its status, and the failing source named.
  const std::string err = Err();
  EXPECT_NE(err.find("missing.iso: cannot be opened"), std::string::npos) << err;
  EXPECT_NE(err.find("3 sources, 2 completed"), std::string::npos) << err;
  for (const std::string row : {"disc    completed", "disc-2  completed", "-       failed"}) {
    EXPECT_NE(err.find(row), std::string::npos) << row << "\n" << err;
  }
  EXPECT_EQ(err.find("Process completed!"), std::string::npos) << err;
}

TEST_F(BatchTest, NeverWritesIntoAFolderThatIsThereAlready) {
  fs::create_directories(Path("root/sample-disc"));
  std::ofstream(Path("root/sample-disc/1REC.jpg")) << "earlier";
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "-o", Path("root"), ORLENTA_SAMPLE_DISC}), 0) << Err();
  EXPECT_EQ(FileText(Path("root/sample-disc/1REC.jpg")), "earlier");
  EXPECT_EQ(ListFolder(Path("root/sample-disc")).size(), 1u);
  EXPECT_FALSE(CarvedFiles(Path("root/sample-disc-2")).empty());
}

TEST_F(BatchTest, AnInterruptReachesEverySourceAndStartsNoMore) {
  const std::string big1 = BigImage("big1.img");
  const std::string big2 = BigImage("big2.img");
  const std::string third = CopyOfSampleDisc("third.iso");
  const pid_t pid = StartCarve(
      Home(), {"--quiet", "-j", "2", "-o", Path("root"), big1, big2, third}, "/dev/null");
  for (int i = 0; i < 500 && !(fs::exists(Path("root/big1/1REC.jpg")) &&
                               fs::exists(Path("root/big2/1REC.jpg")));
       ++i) {
    usleep(10000);
  }
  // To the batch alone, as a service manager or `kill` sends it: not to its process group.
  kill(pid, SIGINT);
  EXPECT_EQ(WaitForCarve(pid), 130) << Err();
  const std::string err = Err();
  EXPECT_NE(err.find("big1    interrupted"), std::string::npos) << err;
  EXPECT_NE(err.find("big2    interrupted"), std::string::npos) << err;
  EXPECT_NE(err.find("not started"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(Path("root/third")));
}

TEST(SourceFolderName, IsTheSourcesNameWithoutItsExtension) {
  EXPECT_EQ(SourceFolderName("/media/lab/disc1.iso"), "disc1");
  EXPECT_EQ(SourceFolderName("/dev/sr0"), "sr0");
  EXPECT_EQ(SourceFolderName("archive.tar.bin"), "archive.tar");
  EXPECT_EQ(SourceFolderName("images/.hidden"), ".hidden");
  EXPECT_EQ(SourceFolderName("track/"), "track");
  for (const char* nothing : {"/", "..", ".", ""}) EXPECT_EQ(SourceFolderName(nothing), "source");
}

TEST(ChildSummary, ComesBackWholeOrNotAtAll) {
  RunSummary summary;
  summary.filesPerKind[kJpeg] = 3;
  summary.filesPerKind[kMpeg] = 1;
  summary.sectorsScanned = 100;
  summary.sectorsUnreadable = 2;
  summary.sectorSize = 2324;
  summary.sourceSha256 = "";  // asked for, not taken
  const std::string text = EncodeSummary(summary);
  const std::optional<RunSummary> back = DecodeSummary(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->filesPerKind, summary.filesPerKind);
  EXPECT_EQ(back->sectorsUnreadable, 2u);
  EXPECT_EQ(back->sectorSize, 2324u);
  EXPECT_EQ(back->sourceSha256, "");
  EXPECT_FALSE(DecodeSummary(text.substr(0, text.size() / 2)));  // a run that died telling it
}

}  // namespace
}  // namespace orlenta
