// SPDX-License-Identifier: GPL-3.0-or-later
// Several sources in one command, run as a lab runs it: orlenta-carve as a process of its
// own, each source carved by a process of its own into a folder of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "carve_runner.h"
#include "child_summary.h"
#include "report_check.h"
#include "source_folder.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// The names of `files`, for a failure's message: their bytes would drown it.
std::string Names(const std::map<std::string, std::string>& files) {
  std::string names;
  for (const auto& [name, bytes] : files) names += name + " ";
  return names;
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The files per kind of a single run's closing summary ("  GIF87a   14 (14 verified)").
std::map<std::string, uint64_t> SummaryKinds(const std::string& err) {
  std::map<std::string, uint64_t> kinds;
  std::istringstream lines(err);
  for (std::string text; std::getline(lines, text);) {
    if (text.rfind("  ", 0) != 0 || text.rfind("  not verified: ", 0) == 0) continue;
    if (const std::size_t verified = text.rfind(" ("); verified != std::string::npos) {
      if (text.find(" verified)", verified) != std::string::npos) text.resize(verified);
    }
    const std::size_t gap = text.rfind(' ');
    const std::string count = text.substr(gap + 1);
    const std::size_t nameEnd = text.find_last_not_of(' ', gap);
    if (!AllDigits(count) || nameEnd == std::string::npos || nameEnd < 2) continue;
    kinds[text.substr(2, nameEnd - 1)] = std::stoull(count);
  }
  return kinds;
}

// The cells of a table line: parted by two spaces or more (a kind's name holds one at most).
std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  for (std::size_t at = line.find_first_not_of(' '); at != std::string::npos;) {
    const std::size_t gap = line.find("  ", at);
    cells.push_back(line.substr(at, gap == std::string::npos ? gap : gap - at));
    at = gap == std::string::npos ? gap : line.find_first_not_of(' ', gap);
  }
  return cells;
}

// The rows of a batch's closing table, each by its heading's cells.
std::vector<std::map<std::string, std::string>> TableRows(const std::string& err) {
  std::vector<std::map<std::string, std::string>> rows;
  std::istringstream lines(err);
  std::vector<std::string> heading;
  for (std::string text; std::getline(lines, text);) {
    if (text.rfind("FOLDER ", 0) == 0) {
      heading = Cells(text);
      continue;
    }
    if (heading.empty()) continue;
    if (AllDigits(text.substr(0, text.find(" source")))) break;  // the totals
    const std::vector<std::string> row = Cells(text);
    EXPECT_EQ(row.size(), heading.size()) << text;
    std::map<std::string, std::string> byHeading;
    for (std::size_t c = 0; c < std::min(row.size(), heading.size()); ++c) {
      byHeading[heading[c]] = row[c];
    }
    rows.push_back(byHeading);
  }
  return rows;
}

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

  // Every sample of the wider kinds, one after another, each from a sector of its own.
  std::string ImageOfEveryFormat(const std::string& name) {
    std::vector<fs::path> samples;
    for (const auto& entry : fs::directory_iterator(ORLENTA_FORMAT_SAMPLES)) {
      samples.push_back(entry.path());
    }
    std::sort(samples.begin(), samples.end());
    std::string image;
    for (const fs::path& sample : samples) {
      image += FileText(sample.string());
      image.resize((image.size() + 2047) / 2048 * 2048, '\0');
    }
    std::ofstream(Path(name), std::ios::binary) << image;
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
    // The command the report records carves that source alone, as a user could type it.
    const std::string report = FileText(folder + "/report.xml");
    EXPECT_EQ(report.find("--summary-fd"), std::string::npos) << folder;
    EXPECT_NE(report.find(image), std::string::npos) << folder;
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

// Each source of a batch is carved as the same command would carve it alone, whatever the
// options, and the table counts what was written: every kind, every file.
TEST_F(BatchTest, EachSourceGivesTheFilesAndCountsOfASingleRunWithTheSameOptions) {
  const std::string first = ImageOfEveryFormat("f1.img");
  const std::string second = ImageOfEveryFormat("f2.img");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--more-kinds", first, Path("single")}), 0);
  const auto expected = CarvedFiles(Path("single"));
  const std::map<std::string, uint64_t> kinds = SummaryKinds(Err());
  ASSERT_GT(kinds.size(), 10u) << Err();  // kinds of the wider set among them

  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--more-kinds", "-j", "2", "-o", Path("root"),
                              first, second}),
            0)
      << Err();
  const std::string err = Err();
  const auto rows = TableRows(err);
  ASSERT_EQ(rows.size(), 2u) << err;
  for (const auto& row : rows) {
    const std::string folder = Path("root/" + row.at("FOLDER"));
    const auto files = CarvedFiles(folder);
    EXPECT_TRUE(files == expected)
        << folder << ": " << Names(files) << "\nalone: " << Names(expected);
    EXPECT_EQ(row.at("FILES"), std::to_string(expected.size())) << err;
    for (const auto& [kind, count] : kinds) {
      ASSERT_TRUE(row.count(kind)) << kind << "\n" << err;
      EXPECT_EQ(row.at(kind), std::to_string(count)) << kind << "\n" << err;
    }
    EXPECT_EQ(row.size(), kinds.size() + 5) << err;  // FOLDER STATUS FILES ... UNREADABLE SOURCE
  }
  const std::string files = std::to_string(2 * expected.size()) + " files;";
  EXPECT_NE(err.find("2 sources, 2 completed; " + files), std::string::npos) << err;
  EXPECT_NE(err.find("completed, " + std::to_string(expected.size()) + " files in f1"),
            std::string::npos)
      << err;
}

// What else shapes a run reaches every source too: the recovery asked for over the stored
// one, how an image's sectors are taken, bad zones jumped over, and a mapfile (one per
// source, beside its files).
TEST_F(BatchTest, EveryOptionOfASingleRunReachesEachSource) {
  fs::create_directories(Path("config/orlenta"));
  std::ofstream(Path("config/orlenta/options")) << "recovery=exact\n";
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--as-described", ORLENTA_SAMPLE_DISC, Path("single")}),
            0);
  const auto described = CarvedFiles(Path("single"));
  // The sample disc as raw sectors whose start is damaged: read plain unless told otherwise.
  std::vector<uint8_t> raw = FrameRawSectors(ReadFileBytes(ORLENTA_SAMPLE_DISC), RawMode::kMode1);
  for (uint64_t sector = 0; sector < 40; ++sector) DamageSync(raw, sector);
  ASSERT_TRUE(WriteFileBytes(Path("start-damaged.bin"), raw));
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--as-described", "--layout", "raw", "-o", Path("root"),
                              Path("start-damaged.bin")}),
            0)
      << Err();
  const auto forced = CarvedFiles(Path("root/start-damaged"));
  EXPECT_TRUE(forced == described) << Names(forced) << "\nalone: " << Names(described);

  // The sample disc read like a worn drive, 200 bad sectors in a row; alone, then in a batch.
  const std::string worn = CopyOfSampleDisc("worn.iso");
  CarveLaunch launch;
  launch.environment = DamagedDrive(worn, 0, "40-239", 0);
  ASSERT_EQ(WaitForCarve(StartCarve(Home(), {"--quiet", "--skip-bad", worn, Path("alone")},
                                    "/dev/null", launch)),
            0)
      << Err();
  const std::string alone = Err();
  const auto count = [&alone](const std::string& what) {
    const std::size_t at = alone.find(what);
    return at == std::string::npos ? std::string("-")
                                   : std::to_string(std::stoull(alone.substr(at + what.size())));
  };
  ASSERT_NE(count("Sectors skipped: "), "-") << alone;
  ASSERT_EQ(WaitForCarve(StartCarve(Home(),
                                    {"--quiet", "--skip-bad", "--mapfile", "rescue.map", "--report",
                                     "run.xml", "-o", Path("worn-root"), worn},
                                    "/dev/null", launch)),
            0)
      << Err();
  const std::string err = Err();
  const auto rows = TableRows(err);
  ASSERT_EQ(rows.size(), 1u) << err;
  EXPECT_EQ(rows[0].at("SKIPPED"), count("Sectors skipped: ")) << err;
  EXPECT_EQ(rows[0].at("UNREADABLE"), count("Sectors unreadable: ")) << err;
  auto files = CarvedFiles(Path("worn-root/worn"));
  EXPECT_NE(files["rescue.map"].find("  ?\n"), std::string::npos);
  files.erase("rescue.map");
  const Report report(Path("worn-root/worn/run.xml"));
  EXPECT_EQ(report.One("//x:sectors_skipped"), rows[0].at("SKIPPED"));
  files.erase("run.xml");
  const auto aloneFiles = CarvedFiles(Path("alone"));
  EXPECT_TRUE(files == aloneFiles) << Names(files) << "\nalone: " << Names(aloneFiles);
  EXPECT_FALSE(fs::exists(Path("rescue.map")));
  // A mapfile in the batch form is a file name in each folder, as the report is.
  EXPECT_EQ(RunCarve(Home(), {"--mapfile", Path("x.map"), "-o", Path("root3"), worn}), 2);
  EXPECT_NE(Err().find("--mapfile names the mapfile inside each source's folder"),
            std::string::npos)
      << Err();
}

TEST_F(BatchTest, NamesArePassedOnAndCountedPerSource) {
  const std::string first = CopyOfSampleDisc("a/disc.iso");
  const std::string second = CopyOfSampleDisc("b/disc.iso");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--names", "-o", Path("root"), first, second}), 0)
      << Err();
  const std::string err = Err();
  const auto rows = TableRows(err);
  ASSERT_EQ(rows.size(), 2u) << err;
  for (const std::string folder : {"disc", "disc-2"}) {
    std::size_t named = 0;
    for (const auto& entry : fs::recursive_directory_iterator(Path("root/" + folder))) {
      named += entry.is_regular_file() &&
               entry.path().string().find("/ORLENTA_SAMPLES/") != std::string::npos;
    }
    EXPECT_GT(named, 10u) << folder;
    EXPECT_EQ(rows[folder == "disc" ? 0 : 1].at("BY NAME"), std::to_string(named)) << err;
    EXPECT_EQ(rows[folder == "disc" ? 0 : 1].at("FILES"), "0") << err;
  }
  EXPECT_NE(err.find(" files by name, 0 carved;"), std::string::npos) << err;
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
  summary.filesPerKind[kAllKindCount] = 5;  // the last of the wider kinds
  summary.sectorsScanned = 100;
  summary.sectorsUnreadable = 2;
  summary.sectorsSkipped = 7;
  summary.sectorSize = 2324;
  summary.sourceSha256 = "";  // asked for, not taken
  summary.namesAsked = true;
  summary.namedWhole = 12;
  summary.namedDamaged = {"a.jpg", "b.jpg"};
  const std::string text = EncodeSummary(summary);
  const std::optional<RunSummary> back = DecodeSummary(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->filesPerKind, summary.filesPerKind);
  EXPECT_EQ(back->sectorsUnreadable, 2u);
  EXPECT_EQ(back->sectorsSkipped, 7u);
  EXPECT_EQ(back->sectorSize, 2324u);
  EXPECT_EQ(back->sourceSha256, "");
  EXPECT_EQ(FilesByName(*back), 14u);
  EXPECT_FALSE(DecodeSummary(text.substr(0, text.size() / 2)));  // a run that died telling it
}

}  // namespace
}  // namespace orlenta
