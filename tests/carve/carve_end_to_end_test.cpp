// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve run as a user runs it: a separate process, its own settings folder, real
// files on disk, and the sample disc image built from samples/media.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "carve_process_fixture.h"
#include "engine/file_kind.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

bool SomeFileBeginsWith(const std::map<std::string, std::string>& files,
                        const std::string& original) {
  for (const auto& [name, bytes] : files) {
    if (bytes.size() >= original.size() && bytes.compare(0, original.size(), original) == 0) {
      return true;
    }
  }
  return false;
}

TEST_F(CarveProcessTest, RecoversEverySampleOfTheSampleDisc) {
  const CarveOutcome outcome = Run({ORLENTA_SAMPLE_DISC, Folder("out").string()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto samples = RecognisedSamples();
  ASSERT_GE(samples.size(), 10u);
  const auto recovered = CarvedFiles(Folder("out"));
  for (const auto& [name, original] : samples) {
    EXPECT_TRUE(SomeFileBeginsWith(recovered, original)) << name << " was not recovered";
  }
  // One "File recovered" line per file, naming its full path.
  std::istringstream lines(outcome.out);
  std::size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_EQ(line.rfind("File recovered: " + Folder("out").string() + "/", 0), 0u) << line;
    EXPECT_TRUE(fs::exists(line.substr(16))) << line;
  }
  EXPECT_EQ(count, recovered.size());
  EXPECT_NE(outcome.err.find("Process completed!"), std::string::npos);
  EXPECT_NE(outcome.err.find("Sectors unreadable: 0"), std::string::npos) << outcome.err;
}

TEST_F(CarveProcessTest, ASecondRunIntoTheSameFolderKeepsTheFirstRunsFiles) {
  ASSERT_EQ(Run({ORLENTA_SAMPLE_DISC, Folder("out").string(), "--quiet"}).status, 0);
  const auto first = CarvedFiles(Folder("out"));
  const CarveOutcome second = Run({ORLENTA_SAMPLE_DISC, Folder("out").string(), "--quiet"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "");
  const auto both = CarvedFiles(Folder("out"));
  EXPECT_EQ(both.size(), 2 * first.size());
  for (const auto& [name, bytes] : first) EXPECT_EQ(both.at(name), bytes) << name;
}

TEST_F(CarveProcessTest, TakesStemAndFolderFromTheSettingsFile) {
  WriteSettings("XY", Folder("fromsettings").string() + "/");
  const CarveOutcome outcome = Run({ORLENTA_SAMPLE_DISC, "--quiet"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(fs::exists(Folder("fromsettings") / "1XY.jpg"));
}

TEST_F(CarveProcessTest, AStemFromTheSettingsThatWouldLeaveTheFolderIsRefused) {
  WriteSettings("../", Folder("fromsettings").string() + "/");
  const CarveOutcome refused = Run({ORLENTA_SAMPLE_DISC});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("propCD.pro: name stem \"../\""), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(Folder("fromsettings")));
  // A stem given on the command line takes its place.
  EXPECT_EQ(Run({ORLENTA_SAMPLE_DISC, "--stem", "ok", "--quiet"}).status, 0);
  EXPECT_TRUE(fs::exists(Folder("fromsettings") / "1ok.jpg"));
}

TEST_F(CarveProcessTest, WithoutSettingsFilesGoToTheDefaultFolderAsREC) {
  const CarveOutcome outcome = Run({ORLENTA_SAMPLE_DISC, "--quiet"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(fs::exists(Folder("RecoveredByQuarn") / "1REC.png"));
}

TEST_F(CarveProcessTest, BadInputGetsOneClearMessageAndStatus2) {
  WriteAll(Folder("plain-file"), "x");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{Folder("missing.iso").string()}, "missing.iso: cannot be opened"},
      {{home_.Path().string()}, "is a directory"},
      {{ORLENTA_SAMPLE_DISC, (Folder("plain-file") / "sub").string()}, "cannot create"},
      {{ORLENTA_SAMPLE_DISC, "--stem", "TOOLONG"}, "at most 3 characters"},
      {{ORLENTA_SAMPLE_DISC, "--stem", "a/"}, "'/'"},
  };
  for (const auto& [args, expected] : cases) {
    const CarveOutcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << expected;
    EXPECT_NE(outcome.err.find(expected), std::string::npos) << outcome.err;
  }
}

TEST_F(CarveProcessTest, SaysWhenTheImageEndsInAPartialSector) {
  std::string image(3 * 2048 + 100, '\0');
  image.replace(2048, 4, "\xFF\xD8\xFF\xE0");
  WriteAll(Folder("odd.img"), image);
  const CarveOutcome outcome = Run({Folder("odd.img").string(), Folder("out").string()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("the last 100 bytes are ignored"), std::string::npos) << outcome.err;
  EXPECT_EQ(fs::file_size(Folder("out") / "1REC.jpg"), 2u * 2048);
}

TEST_F(CarveProcessTest, CtrlCEndsTheRunAsAbortedAndKeepsThePartialFile) {
  // A large sparse image with a header at sector 0: the run is still carving when the
  // interrupt comes.
  {
    std::ofstream image(Folder("big.img"), std::ios::binary);
    image << "\xFF\xD8\xFF\xE0";
  }
  fs::resize_file(Folder("big.img"), uint64_t{16} << 30);
  const pid_t pid = Start({Folder("big.img").string(), Folder("out").string()});
  // Wait until the file has been started, then interrupt.
  for (int i = 0; i < 500 && !fs::exists(Folder("out") / "1REC.jpg"); ++i) usleep(10000);
  usleep(100000);
  kill(pid, SIGINT);
  const CarveOutcome outcome = Wait(pid);
  EXPECT_EQ(outcome.status, 130) << outcome.err;
  EXPECT_NE(outcome.err.find("Recovery process aborted!"), std::string::npos) << outcome.err;
  const auto kept = fs::file_size(Folder("out") / "1REC.jpg");
  EXPECT_GT(kept, 0u);
  EXPECT_EQ(kept % 2048, 0u);
  EXPECT_EQ(FileText(Folder("out") / "1REC.jpg").substr(0, 4), "\xFF\xD8\xFF\xE0");
}

}  // namespace
}  // namespace orlenta
