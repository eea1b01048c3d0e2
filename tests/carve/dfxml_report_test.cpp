// SPDX-License-Identifier: GPL-3.0-or-later
// The DFXML report of a run over the sample disc, read back with libxml2 as any lab's tools
// would read it, and checked against the recovered files, the image and sha256sum.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "carve_runner.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"
#include "xml_text.h"

namespace orlenta {
namespace {

// A parsed report and XPath queries over it, with the DFXML names bound to prefixes.
class Report {
 public:
  explicit Report(const std::string& path)
      : doc_(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET), xmlFreeDoc) {
    if (!doc_) return;
    context_.reset(xmlXPathNewContext(doc_.get()));
    xmlXPathRegisterNs(context_.get(), X("d"),
                       X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML"));
    xmlXPathRegisterNs(
        context_.get(), X("x"),
        X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML#extensions"));
  }
  bool Parsed() const { return doc_ != nullptr; }

  // The text of every node `xpath` selects (attributes included).
  std::vector<std::string> All(const std::string& xpath) const {
    std::vector<std::string> texts;
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
        xmlXPathEvalExpression(X(xpath.c_str()), context_.get()), xmlXPathFreeObject);
    if (!found || !found->nodesetval) return texts;
    for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
      xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
      texts.emplace_back(reinterpret_cast<const char*>(text));
      xmlFree(text);
    }
    return texts;
  }
  std::string One(const std::string& xpath) const {
    const auto texts = All(xpath);
    if (texts.size() == 1) return texts[0];
    // Appended piece by piece: GCC 12 at -O3 takes "<" + std::string for an overlapping copy.
    std::string count = "<";
    count += std::to_string(texts.size());
    count += " nodes>";
    return count;
  }

 private:
  static const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
  struct ContextFree {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
  };
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
  std::unique_ptr<xmlXPathContext, ContextFree> context_;
};

// The path in single quotes for the shell, whatever it holds.
std::string ShellQuoted(const std::string& path) {
  std::string quoted = "'";
  for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Sha256Sum(const std::string& path) {
  const std::string command = "sha256sum " + ShellQuoted(path);
  std::string line(64, '\0');
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "";
  const std::size_t got = std::fread(line.data(), 1, line.size(), pipe);
  ::pclose(pipe);
  line.resize(got);
  return line;
}

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

  // Every recovered file is named once, with its size, its SHA-256 as sha256sum gives it,
  // and byte runs whose bytes in `image` are the file's bytes.
  void ExpectEveryFileAccountedFor(const Report& report, const std::string& folder,
                                   const std::string& image) {
    const std::string bytes = FileText(image);
    const auto names = report.All("/d:dfxml/d:fileobject/d:filename");
    EXPECT_EQ(names.size(), CarvedFiles(folder).size());
    for (std::size_t i = 1; i <= names.size(); ++i) {
      const std::string object = "/d:dfxml/d:fileobject[" + std::to_string(i) + "]";
      const std::string& path = names[i - 1];
      const std::string content = FileText(path);
      ASSERT_FALSE(content.empty()) << path;
      EXPECT_EQ(report.One(object + "/d:filesize"), std::to_string(content.size())) << path;
      EXPECT_EQ(report.One(object + "/d:hashdigest[@type='sha256']"), Sha256Sum(path)) << path;
      std::string fromImage;
      const auto offsets = report.All(object + "/d:byte_runs/d:byte_run/@img_offset");
      const auto lengths = report.All(object + "/d:byte_runs/d:byte_run/@len");
      ASSERT_EQ(offsets.size(), lengths.size());
      for (std::size_t r = 0; r < offsets.size(); ++r) {
        fromImage += bytes.substr(std::stoull(offsets[r]), std::stoull(lengths[r]));
      }
      EXPECT_TRUE(fromImage == content) << path;
    }
  }

  TempDir dir_;
};

TEST_F(DfxmlReportTest, NamesEveryFileOfThePlainSampleDisc) {
  const std::string folder = dir_.File("out");
  const Report report(CarveWithReport(ORLENTA_SAMPLE_DISC, folder));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.One("/d:dfxml/d:creator/d:program"), "orlenta-carve");
  EXPECT_EQ(report.One("/d:dfxml/d:source/d:image_filename"), ORLENTA_SAMPLE_DISC);
  EXPECT_EQ(report.One("/d:dfxml/d:source/x:sector_size"), "2048");
  EXPECT_EQ(report.All("/d:dfxml/d:source/x:raw_mode").size(), 0u);
  EXPECT_EQ(report.One("/d:dfxml/x:run/x:outcome"), "completed");
  EXPECT_EQ(report.One("/d:dfxml/x:run/x:sectors_unreadable"), "0");
  // A plain image: every file is one run of the image.
  EXPECT_EQ(report.All("//d:byte_run").size(), report.All("//d:fileobject").size());
  ExpectEveryFileAccountedFor(report, folder, ORLENTA_SAMPLE_DISC);
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
  EXPECT_EQ(report.One("/d:dfxml/d:source/x:raw_mode"), "Mode 2 Form 1");
  ExpectEveryFileAccountedFor(report, folder, bin);
}

TEST_F(DfxmlReportTest, SurvivesPathsWithMarkupAndNonAsciiCharacters) {
  const std::string odd = dir_.File("Ünïcødé & <b>\"Fotos\"<-b> 日本 'x' ]]>");
  std::filesystem::copy_file(ORLENTA_SAMPLE_DISC, odd + ".iso");
  const Report report(CarveWithReport(odd + ".iso", odd));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.One("/d:dfxml/d:source/d:image_filename"), odd + ".iso");
  ExpectEveryFileAccountedFor(report, odd, odd + ".iso");
  // libxml2's own command-line checker agrees (the glob spares the shell the odd name).
  if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("xmllint --noout " + dir_.Path().string() + "/*.xml").c_str()), 0);
  }
}

TEST_F(DfxmlReportTest, BytesThatAreNotUtf8StillGiveAReadableReport) {
  const std::string folder = dir_.File("latin1-\xE9t\xE9\x01");
  const Report report(CarveWithReport(ORLENTA_SAMPLE_DISC, folder));
  ASSERT_TRUE(report.Parsed());
  EXPECT_EQ(report.All("//d:fileobject").size(), CarvedFiles(folder).size());
  EXPECT_EQ(report.All("//d:filename")[0].rfind(XmlText(folder), 0), 0u);
}

TEST_F(DfxmlReportTest, AReportThatCannotBeCreatedStopsTheRunBeforeItStarts) {
  const std::string report = dir_.File("no-such-folder/report.xml");
  EXPECT_EQ(RunCarve(Home(), {"--report", report, ORLENTA_SAMPLE_DISC, dir_.File("out")}), 2);
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("cannot write the report"), std::string::npos);
  EXPECT_TRUE(CarvedFiles(dir_.File("out")).empty());
}

TEST_F(DfxmlReportTest, AnExistingFileIsNeverReplacedByTheReport) {
  // A slip of the keyboard names the image itself: it must come through untouched.
  const std::string image = dir_.File("disc.iso");
  std::filesystem::copy_file(ORLENTA_SAMPLE_DISC, image);
  EXPECT_EQ(RunCarve(Home(), {"--report", image, image, dir_.File("out")}), 2);
  EXPECT_TRUE(FileText(image) == FileText(ORLENTA_SAMPLE_DISC));
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("cannot write the report"), std::string::npos);
  EXPECT_TRUE(CarvedFiles(dir_.File("out")).empty());

  const std::string earlier = dir_.File("earlier.xml");
  ASSERT_TRUE(WriteFileBytes(earlier, {'k', 'e', 'e', 'p'}));
  EXPECT_EQ(RunCarve(Home(), {"--report", earlier, ORLENTA_SAMPLE_DISC, dir_.File("again")}), 2);
  EXPECT_EQ(FileText(earlier), "keep");
}

TEST(XmlText, KeepsUtf8AndReplacesWhatXmlCannotHold) {
  EXPECT_EQ(XmlText("plain & <b> ü 日本 \xF0\x9F\x93\xB7"), "plain & <b> ü 日本 \xF0\x9F\x93\xB7");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(XmlText("caf\xE9"), "caf" + replacement);  // Latin-1
  EXPECT_EQ(XmlText(std::string("a\0b\x01\t\n", 6)),
            "a" + replacement + "b" + replacement + "\t\n");
  EXPECT_EQ(XmlText("\xC0\xAF"), replacement + replacement);                    // overlong '/'
  EXPECT_EQ(XmlText("\xED\xA0\x80"), replacement + replacement + replacement);  // a surrogate
  EXPECT_EQ(XmlText("\xE6\x97"), replacement + replacement);                    // cut short
  EXPECT_EQ(XmlText("\xEF\xBF\xBE"), replacement + replacement + replacement);  // U+FFFE
}

}  // namespace
}  // namespace orlenta
