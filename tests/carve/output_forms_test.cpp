// SPDX-License-Identifier: GPL-3.0-or-later
// Where a run's files go: sorted into a folder per kind, or nowhere at all with only the
// report kept. Either way the files found, their bytes and the report's account of them are
// those of a plain run.
#include <gtest/gtest.h>

#include <filesystem>

#include "carve_process_fixture.h"
#include "report_check.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// What a report tells of its files: names, sizes, digests, byte runs, verification.
std::vector<std::string> FileAccount(const Report& report) {
  std::vector<std::string> account = report.All("//d:fileobject");
  for (const std::string& attribute : report.All("//d:fileobject//@*")) {
    account.push_back(attribute);
  }
  return account;
}

class OutputFormsTest : public CarveProcessTest {};

TEST_F(OutputFormsTest, FilesByKindAndReportOnlyAccountForTheFilesOfAPlainRun) {
  struct Case {
    std::vector<std::string> options;
    bool byKind;
    bool reportOnly;
  };
  const std::vector<Case> cases = {
      {{"--by-kind"}, true, false},
      {{"--by-kind", "--exact", "--more-kinds"}, true, false},
      {{"--report-only"}, false, true},
      {{"--report-only", "--exact", "--hash", "md5"}, false, true},
      {{"--report-only", "--by-kind", "--exact", "--min-size", "13000"}, true, true},
  };
  const fs::path tmp = Folder("tmp");
  fs::create_directory(tmp);
  int number = 0;
  for (const Case& c : cases) {
    const std::string label = std::to_string(++number);
    // The plain run: the same options but the two under test.
    std::vector<std::string> plainOptions;
    for (const std::string& option : c.options) {
      if (option != "--by-kind" && option != "--report-only") plainOptions.push_back(option);
    }
    const fs::path plain = Folder("plain") / label;
    const fs::path tried = Folder("tried") / label;
    fs::create_directories(plain);
    fs::create_directories(tried);
    std::vector<std::string> args = plainOptions;
    args.insert(args.end(), {"--quiet", "--report", (plain / "r.xml").string(), ORLENTA_SAMPLE_DISC,
                             (plain / "out").string()});
    ASSERT_EQ(Run(args).status, 0) << label;
    args = c.options;
    args.insert(args.end(), {"--quiet", "--report", (tried / "r.xml").string(), ORLENTA_SAMPLE_DISC,
                             (tried / "out").string()});
    const CarveOutcome outcome = Run(args, {.environment = {"TMPDIR=" + tmp.string()}});
    ASSERT_EQ(outcome.status, 0) << label << outcome.err;

    const Report plainReport((plain / "r.xml").string());
    const Report triedReport((tried / "r.xml").string());
    std::vector<std::string> expected = FileAccount(plainReport);
    if (c.byKind) {
      // The only difference: each name has its kind's folder before it.
      expected.clear();
      for (const std::string& name : plainReport.All("//d:fileobject/d:filename")) {
        const std::string file = fs::path(name).filename().string();
        expected.push_back("out/" + fs::path(file).extension().string().substr(1) + "/" + file);
      }
      EXPECT_EQ(triedReport.All("//d:fileobject/d:filename"), expected) << label;
      EXPECT_EQ(triedReport.All("//d:fileobject/d:filesize"),
                plainReport.All("//d:fileobject/d:filesize"))
          << label;
      EXPECT_EQ(triedReport.All("//d:fileobject//d:hashdigest"),
                plainReport.All("//d:fileobject//d:hashdigest"))
          << label;
    } else {
      EXPECT_EQ(FileAccount(triedReport), expected) << label;
    }
    EXPECT_FALSE(expected.empty()) << label;
    if (c.reportOnly) {
      EXPECT_FALSE(fs::exists(tried / "out")) << label;
      EXPECT_TRUE(fs::is_empty(tmp)) << label << ": the temporary files stay behind";
      EXPECT_EQ(outcome.out, "") << label << ": lines of files that were never kept";
    } else {
      std::vector<std::string> kindFolders;
      for (const auto& entry : fs::directory_iterator(tried / "out")) {
        ASSERT_TRUE(entry.is_directory()) << entry.path();
        kindFolders.push_back(entry.path().string());
      }
      ExpectReportChecksOut(triedReport, kindFolders, ORLENTA_SAMPLE_DISC);
    }
  }
}

TEST_F(OutputFormsTest, CombinationsThatCannotHoldAreRefusedLeavingNothing) {
  const std::string out = Folder("out").string();
  const std::string report = Folder("r.xml").string();
  const std::string image = Folder("i.img").string();
  const std::vector<std::vector<std::string>> refused = {
      {"--report-only", ORLENTA_SAMPLE_DISC, out},
      {"--report-only", "--report", report, "--image", image, ORLENTA_SAMPLE_DISC, out},
      {"--report-only", "--report", report, "--names", ORLENTA_SAMPLE_DISC, out},
      {"--by-kind", "--image", image, ORLENTA_SAMPLE_DISC, out},
  };
  for (const std::vector<std::string>& args : refused) {
    const CarveOutcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << args[1];
    EXPECT_EQ(outcome.err.rfind("orlenta-carve: ", 0), 0u) << outcome.err;
    for (const std::string& path : {out, report, image}) EXPECT_FALSE(fs::exists(path)) << path;
  }
}

TEST_F(OutputFormsTest, ABatchPassesBothOnToEachSource) {
  const fs::path root = Folder("root");
  ASSERT_EQ(Run({"--quiet", "--by-kind", "-o", root.string(), ORLENTA_SAMPLE_DISC}).status, 0);
  const fs::path byKind = root / fs::path(ORLENTA_SAMPLE_DISC).stem();
  EXPECT_TRUE(fs::is_directory(byKind / "jpg"));
  EXPECT_FALSE(fs::exists(byKind / "1REC.jpg"));

  const fs::path reportRoot = Folder("reports");
  ASSERT_EQ(Run({"--quiet", "--report-only", "--report", "r.xml", "-o", reportRoot.string(),
                 ORLENTA_SAMPLE_DISC})
                .status,
            0);
  const fs::path reported = reportRoot / fs::path(ORLENTA_SAMPLE_DISC).stem();
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(reported)) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"r.xml"});
  EXPECT_FALSE(Report((reported / "r.xml").string()).All("//d:fileobject").empty());
}

TEST_F(OutputFormsTest, ASplitImageCarvesAsTheImageWholeAndItsReportChecksOut) {
  // Segments of 100,000 bytes: most files and many sectors straddle two of them.
  const std::string whole = FileText(ORLENTA_SAMPLE_DISC);
  const fs::path split = Folder("split");
  fs::create_directory(split);
  int number = 0;
  for (std::size_t at = 0; at < whole.size(); at += 100000) {
    char name[16];
    std::snprintf(name, sizeof name, "disc.%03d", ++number);
    WriteAll(split / name, whole.substr(at, 100000));
  }
  ASSERT_EQ(Run({"--quiet", ORLENTA_SAMPLE_DISC, Folder("plain").string()}).status, 0);
  const std::string report = Folder("r.xml").string();
  const CarveOutcome outcome = Run({"--quiet", "--hash-source", "--report", report,
                                    (split / "disc.001").string(), Folder("out").string()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(CarvedFiles(Folder("out").string()), CarvedFiles(Folder("plain").string()));
  // The byte runs count the segments' bytes one after another: the whole image's offsets.
  ExpectReportChecksOut(Report(report), {Folder("out").string()}, ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(Report(report).All("//d:source/d:image_filename").size(),
            static_cast<std::size_t>(number));
  EXPECT_EQ(Report(report).One("//x:source_digest/d:hashdigest[@type='sha256']"),
            Sha256Sum(ORLENTA_SAMPLE_DISC));

  fs::remove(split / "disc.003");
  const CarveOutcome gap = Run({(split / "disc.001").string(), Folder("gap").string()});
  EXPECT_EQ(gap.status, 2);
  EXPECT_NE(gap.err.find("disc.003 is missing"), std::string::npos) << gap.err;
  EXPECT_FALSE(fs::exists(Folder("gap")));
}

}  // namespace
}  // namespace orlenta
