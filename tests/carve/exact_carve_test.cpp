// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve with files cut at their own ends: the sample disc's files come back as they
// were put on it, the report and the summary say which ends were verified, and the window's
// stored choice is the default that flags override.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "carve_runner.h"
#include "engine/file_kind.h"
#include "platform/sha256.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// How many of `samples` are among `files` byte for byte.
int ExactCopies(const std::map<std::string, std::string>& samples,
                const std::map<std::string, std::string>& files) {
  int found = 0;
  for (const auto& [name, original] : samples) {
    for (const auto& [path, bytes] : files) {
      if (bytes == original) {
        ++found;
        break;
      }
    }
  }
  return found;
}

// The text between the first `open` of `text` and the `close` after it.
std::string Between(const std::string& text, const std::string& open, const std::string& close) {
  const std::size_t from = text.find(open);
  if (from == std::string::npos) return "";
  const std::size_t begin = from + open.size();
  return text.substr(begin, text.find(close, begin) - begin);
}

std::string Sha256Of(const std::string& bytes) {
  Sha256 hash;
  hash.Update({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  return hash.HexDigest();
}

class ExactCarveTest : public ::testing::Test {
 protected:
  std::string Home() const { return home_.Path().string(); }
  std::string Folder(const std::string& name) const { return home_.File(name); }
  std::string Err() const { return FileText(home_.File("stderr.txt")); }

  void StoreChoice(const std::string& line) {
    fs::create_directories(home_.Path() / "config" / "orlenta");
    std::ofstream(home_.Path() / "config" / "orlenta" / "options") << line;
  }

  TempDir home_;
};

TEST_F(ExactCarveTest, EverySampleComesBackByteForByteAndTheReportSaysItsEndWasVerified) {
  const std::string report = Folder("report.xml");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--more-kinds", "--report", report,
                              ORLENTA_SAMPLE_DISC, Folder("out")}),
            0)
      << Err();
  const auto samples = RecognisedSamples();
  const auto files = CarvedFiles(Folder("out"));
  EXPECT_EQ(ExactCopies(samples, files), static_cast<int>(samples.size()));
  EXPECT_NE(Err().find("Ends verified: "), std::string::npos) << Err();

  // Each file's entry: its size and hash as cut, and a verified end for every sample.
  const std::string xml = FileText(report);
  int entries = 0;
  for (std::size_t at = xml.find("<fileobject>"); at != std::string::npos;
       at = xml.find("<fileobject>", at + 1), ++entries) {
    const std::string entry = xml.substr(at, xml.find("</fileobject>", at) - at);
    const std::string path = Between(entry, "<filename>", "</filename>");
    // Names are given from the report's own folder.
    const std::string bytes = FileText(Folder(path));
    EXPECT_EQ(Between(entry, "<filesize>", "</filesize>"), std::to_string(bytes.size())) << path;
    EXPECT_EQ(Between(entry, "<hashdigest type=\"sha256\">", "</hashdigest>"), Sha256Of(bytes))
        << path;
    bool isSample = false;
    for (const auto& [name, original] : samples) isSample = isSample || bytes == original;
    // A program stream tells its end for sure only by its end code, which not every
    // muxer writes.
    const bool endCodeMissing =
        path.ends_with(".mpg") && !bytes.ends_with(std::string("\0\0\1\xB9", 4));
    if (isSample) {
      EXPECT_EQ(Between(entry, "<dfxmlext:end_verified>", "</dfxmlext:end_verified>"),
                endCodeMissing ? "false" : "true")
          << path;
    }
  }
  EXPECT_EQ(entries, static_cast<int>(files.size()));
}

TEST_F(ExactCarveTest, TheStoredChoiceIsTheDefaultAndFlagsOverrideIt) {
  const auto samples = RecognisedSamples();
  ASSERT_EQ(RunCarve(Home(), {"--quiet", ORLENTA_SAMPLE_DISC, Folder("described")}), 0);
  const int describedCopies = ExactCopies(samples, CarvedFiles(Folder("described")));
  ASSERT_LT(describedCopies, static_cast<int>(samples.size()));

  StoreChoice("recovery=exact\n");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", ORLENTA_SAMPLE_DISC, Folder("stored")}), 0) << Err();
  EXPECT_EQ(ExactCopies(samples, CarvedFiles(Folder("stored"))), static_cast<int>(samples.size()));

  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--as-described", ORLENTA_SAMPLE_DISC, Folder("flag")}),
            0);
  EXPECT_EQ(CarvedFiles(Folder("flag")).size(), CarvedFiles(Folder("described")).size());
  EXPECT_EQ(ExactCopies(samples, CarvedFiles(Folder("flag"))), describedCopies);

  EXPECT_EQ(RunCarve(Home(), {"--as-described", "--exact", ORLENTA_SAMPLE_DISC, Folder("x")}), 2);
}

}  // namespace
}  // namespace orlenta
