// SPDX-License-Identifier: GPL-3.0-or-later
// The DFXML report of a run over the sample disc, read back with libxml2 as any lab's tools
// would read it, and checked against the recovered files, the image and sha256sum.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "carve_runner.h"
#include "report_check.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"
#include "xml_text.h"

namespace orlenta {
namespace {

class DfxmlReportTest : public ::testing::Test {
 protected:
  std::string Home() const { return dir_.Path().string(); }

  // Carves `source` into `folder` with a report; returns the report's path.
  std::string CarveWithReport(const std::string& source, const std::string& folder) {
    const std::string report = folder + ".xml";
    EXPECT_EQ(RunCarve(Home(), {"--quiet", "--report", report, source, folder}), 0)
        << FileText(dir_.File("stderr.txt"));
    return report;
  }

  TempDir dir_;
};

TEST_F(DfxmlReportTest, NamesEveryFileOfThePlainSampleDisc) {
  const std::string folder = dir_.File("out");
  const Report report(CarveWithReport(ORLENTA_SAMPLE_DISC, folder));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.One("/d:dfxml/d:creator/d:program"), "orlenta-carve");
  EXPECT_EQ(report.One("/d:dfxml/d:source/d:image_filename"), ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(report.One("/d:dfxml/x:source/x:sector_size"), "2048");
  EXPECT_EQ(report.All("/d:dfxml/x:source/x:raw_mode").size(), 0u);
  EXPECT_EQ(report.One("/d:dfxml/x:run/x:outcome"), "completed");
  EXPECT_EQ(report.One("/d:dfxml/x:run/x:sectors_unreadable"), "0");
  // A plain image: every file is one run of the image.
  EXPECT_EQ(report.All("//d:byte_run").size(), report.All("//d:fileobject").size());
  ExpectReportChecksOut(report, {folder}, ORLENTA_SAMPLE_DISC);
}

TEST_F(DfxmlReportTest, ARawImagesRunsPointAtTheDataInsideTheRawSectors) {
  const std::string bin = dir_.File("disc.bin");
  ASSERT_TRUE(WriteFileBytes(
      bin, FrameRawSectors(ReadFileBytes(ORLENTA_SAMPLE_DISC), RawMode::kMode2Form1)));
  const std::string cue = dir_.File("disc.cue");
  const std::string sheet = "FILE \"disc.bin\" BINARY\n TRACK 01 MODE2/2352\n  INDEX 01 00:00:00\n";
  ASSERT_TRUE(WriteFileBytes(cue, std::vector<uint8_t>(sheet.begin(), sheet.end())));
  const std::string folder = dir_.File("out");
  const Report report(CarveWithReport(cue, folder));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.All("/d:dfxml/d:source/d:image_filename"), (std::vector{cue, bin}));
  EXPECT_EQ(report.One("/d:dfxml/x:source/x:raw_mode"), "Mode 2");
  ExpectReportChecksOut(report, {folder}, bin);
}

// The first word a digest command prints for the sample disc.
std::string DigestOfSampleDisc(const std::string& command) {
  std::FILE* pipe = ::popen((command + " '" ORLENTA_SAMPLE_DISC "'").c_str(), "r");
  if (!pipe) return "";
  char hex[129] = {};
  const bool read = std::fscanf(pipe, "%128s", hex) == 1;
  ::pclose(pipe);
  return read ? hex : "";
}

// An evidence set is read as the medium it holds: the runs point into that medium, and the
// digests the set's maker stored of it are kept beside ours.
TEST_F(DfxmlReportTest, AnEvidenceSetsStoredDigestsAreRecorded) {
  if (std::system("command -v ewfacquire >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ewfacquire";
  const std::string set = dir_.File("evidence");
  const std::string acquire = "ewfacquire -u -q -P 2048 -m optical -d sha1 -t '" + set +
                              "' '" ORLENTA_SAMPLE_DISC "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(acquire.c_str()), 0);
  const std::string folder = dir_.File("out");
  const Report report(CarveWithReport(set + ".E01", folder));
  ASSERT_TRUE(report.Parsed());
  const std::string container = "/d:dfxml/x:source/x:container";
  EXPECT_EQ(report.One(container + "/@format"), "Expert Witness (EWF)");
  EXPECT_EQ(report.One(container + "/d:hashdigest[@type='md5']"), DigestOfSampleDisc("md5sum"));
  EXPECT_EQ(report.One(container + "/d:hashdigest[@type='sha1']"), DigestOfSampleDisc("sha1sum"));
  ExpectReportChecksOut(report, {folder}, ORLENTA_SAMPLE_DISC);

  // With the same digests taken of the medium as read, the set's stored ones can be checked.
  const std::string checked = dir_.File("checked");
  const std::string checkedReport = checked + ".xml";
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--hash", "md5,SHA1", "--hash-source", "--report",
                              checkedReport, set + ".E01", checked}),
            0);
  const Report digests(checkedReport);
  for (const char* type : {"md5", "sha1"}) {
    const std::string stored =
        "/d:dfxml/x:source/x:container/d:hashdigest[@type='" + std::string(type) + "']";
    const std::string read = "//x:source_digest/d:hashdigest[@type='" + std::string(type) + "']";
    EXPECT_EQ(digests.One(read), digests.One(stored)) << type;
  }
  ExpectReportChecksOut(digests, {checked}, ORLENTA_SAMPLE_DISC);
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("Source MD5: " + DigestOfSampleDisc("md5sum")),
            std::string::npos);
}

TEST_F(DfxmlReportTest, SurvivesPathsWithMarkupAndNonAsciiCharacters) {
  const std::string odd = dir_.File("Ünïcødé & <b>\"Fotos\"<-b> 日本 'x' ]]>");
  std::filesystem::copy_file(ORLENTA_SAMPLE_DISC, odd + ".iso");
  const Report report(CarveWithReport(odd + ".iso", odd));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.One("/d:dfxml/d:source/d:image_filename"), odd + ".iso");
  ExpectReportChecksOut(report, {odd}, odd + ".iso");
  // libxml2's own command-line checker agrees (the glob spares the shell the odd name).
  if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("xmllint --noout " + dir_.Path().string() + "/*.xml").c_str()), 0);
  }
}

TEST_F(DfxmlReportTest, NamesThatAreNotUtf8AreEscapedSoTheyStillNameTheFiles) {
  // A Latin-1 folder name, a control character and a backslash, with the report beside
  // the folder: every name in it runs through the folder.
  const std::string folder = dir_.File("latin1-\xE9t\xE9\x01 back\\slash");
  const Report report(CarveWithReport(ORLENTA_SAMPLE_DISC, folder));
  ExpectReportChecksOut(report, {folder}, ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(report.All("//d:filename")[0].rfind("latin1-\\xE9t\\xE9\\x01 back\\x5Cslash/", 0), 0u);
  EXPECT_NE(report.One("/d:dfxml/d:metadata/x:text_escaping").find("\\xHH"), std::string::npos);
}

TEST_F(DfxmlReportTest, NamesAreRelativeToTheReportsFolderWhereverTheRunStarted) {
  // The report in one folder, the files in a sibling, the run started from a third.
  std::filesystem::create_directories(dir_.File("reports"));
  const std::string folder = dir_.File("files");
  const std::string report = dir_.File("reports/run.xml");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--report", report, ORLENTA_SAMPLE_DISC, folder}), 0)
      << FileText(dir_.File("stderr.txt"));
  const Report parsed(report);
  ExpectReportChecksOut(parsed, {folder}, ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(parsed.All("//d:filename")[0].rfind("../files/", 0), 0u);
}

// The sample disc read through a worn drive: the sectors that fail are zeros in the files
// and fill runs in the report, so that the runs of every file still give back its bytes and
// its SHA-256, and the names still lead from the report's folder to the files.
TEST_F(DfxmlReportTest, AWornDrivesUnreadableSectorsAreFillRunsAndEveryFileChecksOut) {
  const std::string image = dir_.File("worn.iso");
  std::filesystem::copy_file(ORLENTA_SAMPLE_DISC, image);
  std::filesystem::create_directories(dir_.File("reports"));
  const std::string folder = dir_.File("files");
  const std::string report = dir_.File("reports/run.xml");
  CarveLaunch launch;
  launch.environment = DamagedDrive(image, 0, "100-101,200", 0);
  const pid_t pid =
      StartCarve(Home(), {"--quiet", "--report", report, image, folder}, "/dev/null", launch);
  ASSERT_EQ(WaitForCarve(pid), 0) << FileText(dir_.File("stderr.txt"));
  const Report parsed(report);
  EXPECT_EQ(parsed.One("/d:dfxml/x:run/x:sectors_unreadable"), "3");
  EXPECT_EQ(parsed.All("//d:byte_run[@fill='0']/@len"), (std::vector<std::string>{"4096", "2048"}));
  ExpectReportChecksOut(parsed, {folder}, image);
}

TEST_F(DfxmlReportTest, TheSourcesDigestIsTheImagesOwn) {
  const std::string report = dir_.File("out.xml");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--hash-source", "--report", report, ORLENTA_SAMPLE_DISC,
                              dir_.File("out")}),
            0);
  const Report parsed(report);
  EXPECT_EQ(parsed.One("//x:source_digest/d:hashdigest[@type='sha256']"),
            Sha256Sum(ORLENTA_SAMPLE_DISC));
  EXPECT_EQ(parsed.One("//x:source_digest/@bytes_hashed"),
            std::to_string(std::filesystem::file_size(ORLENTA_SAMPLE_DISC)));
  EXPECT_NE(
      FileText(dir_.File("stderr.txt")).find("Source SHA-256: " + Sha256Sum(ORLENTA_SAMPLE_DISC)),
      std::string::npos);
}

TEST_F(DfxmlReportTest, AReportThatCannotBeCreatedStopsTheRunBeforeItStarts) {
  const std::string report = dir_.File("no-such-folder/report.xml");
  EXPECT_EQ(RunCarve(Home(), {"--report", report, ORLENTA_SAMPLE_DISC, dir_.File("out")}), 2);
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("cannot write the report"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out")));  // nothing is left behind
}

TEST_F(DfxmlReportTest, AnExistingFileIsNeverReplacedByTheReport) {
  // A slip of the keyboard names the image itself: it must come through untouched.
  const std::string image = dir_.File("disc.iso");
  std::filesystem::copy_file(ORLENTA_SAMPLE_DISC, image);
  EXPECT_EQ(RunCarve(Home(), {"--report", image, image, dir_.File("out")}), 2);
  EXPECT_TRUE(FileText(image) == FileText(ORLENTA_SAMPLE_DISC));
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("cannot write the report"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out")));

  const std::string earlier = dir_.File("earlier.xml");
  ASSERT_TRUE(WriteFileBytes(earlier, {'k', 'e', 'e', 'p'}));
  EXPECT_EQ(RunCarve(Home(), {"--report", earlier, ORLENTA_SAMPLE_DISC, dir_.File("again")}), 2);
  EXPECT_EQ(FileText(earlier), "keep");
}

TEST_F(DfxmlReportTest, NoMessageLandsInTheReportWhenStdoutAndStderrAreClosed) {
  // Started without stdout and stderr, the report would be the first file opened and take
  // their place; every "File recovered" line and the summary would be written into it.
  const std::string folder = dir_.File("out");
  const std::string report = dir_.File("report.xml");
  EXPECT_EQ(RunCarve(Home(), {"--report", report, ORLENTA_SAMPLE_DISC, folder}, Streams::kClosed),
            0);
  ExpectReportChecksOut(Report(report), {folder}, ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(FileText(report).find("File recovered"), std::string::npos);
}

TEST(XmlText, KeepsUtf8AndEscapesEveryOtherByteReversibly) {
  EXPECT_EQ(XmlText("plain & <b> ü 日本 \xF0\x9F\x93\xB7"), "plain & <b> ü 日本 \xF0\x9F\x93\xB7");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"caf\xE9", "caf\\xE9"},                               // Latin-1
      {std::string("a\0b\x01\t\n", 6), "a\\x00b\\x01\t\n"},  // controls XML forbids
      {"\xC0\xAF", "\\xC0\\xAF"},                            // an overlong '/'
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                   // a surrogate
      {"\xE6\x97", "\\xE6\\x97"},                            // cut short
      {"\xEF\xBF\xBE", "\\xEF\\xBF\\xBE"},                   // U+FFFE
      {"C:\\x41", "C:\\x5Cx41"},  // a backslash that would read as an escape
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(XmlText(bytes), text);
    EXPECT_EQ(XmlTextBytes(XmlText(bytes)), bytes) << text;
  }
}

}  // namespace
}  // namespace orlenta
