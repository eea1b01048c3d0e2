// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve --names on images made by a real tool, judged by a file walker nobody here
// wrote (fiwalk), and on a worn drive.
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "carve_process_fixture.h"
#include "report_check.h"
#include "support/disc_images.h"
#include "support/raw_image.h"
#include "support/udf_image.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string Md5Of(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

std::string Sample(const std::string& name) {
  return FileText(std::string(ORLENTA_SAMPLE_MEDIA) + "/" + name);
}

class NamesCarveTest : public CarveProcessTest {
 protected:
  // A Rock Ridge and Joliet image of a family's folders, made by genisoimage.
  std::string FamilyDisc() {
    const DiscTree tree = {{"Été 2004/IMG_0042.JPG", Sample("photo1.jpg")},
                           {"Été 2004/IMG_0043.JPG", Sample("photo2-exif.jpg")},
                           {"music/song.mp3", Sample("song.mp3")},
                           {"docs/notes.txt", Sample("notes.txt")},
                           {"docs/chart.png", Sample("chart.png")}};
    WriteTree(Folder("tree").string(), tree, 1089806400);
    const std::string image = Folder("family.iso").string();
    EXPECT_EQ(RunTool({"genisoimage", "-quiet", "-input-charset", "utf-8", "-R", "-J", "-V",
                       "Family", "-o", image, Folder("tree").string()}),
              0);
    return image;
  }

  std::string Out() const { return Folder("out").string(); }
};

// fiwalk's regular files with their MD5, by the path it shows.
std::map<std::string, std::string> FiwalkMd5s(const std::string& listing) {
  std::map<std::string, std::string> md5s;
  std::istringstream lines(listing);
  std::string line;
  std::string name;
  bool regular = false;
  while (std::getline(lines, line)) {
    if (line.rfind("filename: ", 0) == 0) name = line.substr(10), regular = false;
    if (line == "name_type: r") regular = true;
    if (line.rfind("md5: ", 0) == 0 && regular && name.rfind("$Orphan", 0) != 0) {
      md5s[name] = line.substr(5);
    }
  }
  return md5s;
}

TEST_F(NamesCarveTest, EveryFileComesBackWithTheDigestAFileWalkerGivesIt) {
  const std::string image = FamilyDisc();
  ASSERT_EQ(RunToolInto({"fiwalk", "-f", image}, Folder("fiwalk.txt").string()), 0);
  const std::map<std::string, std::string> expected = FiwalkMd5s(FileText(Folder("fiwalk.txt")));
  ASSERT_EQ(expected.size(), 5u);
  const CarveOutcome outcome =
      Run({"--names", "--exact", "--report", Folder("report.xml").string(), image, Out()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  for (const auto& [path, md5] : expected) {
    EXPECT_EQ(Md5Of(FileText(Folder("out") / "Family" / path)), md5) << path;
  }
  EXPECT_TRUE(Contains(outcome.err, "Files by name: 5, in " + Out() + "/Family/")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files recovered by carving: 0")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.out, "File recovered: " + Out() + "/Family/music/song.mp3"))
      << outcome.out;
  const std::string report = FileText(Folder("report.xml"));
  EXPECT_TRUE(Contains(report, "<filename>out/Family/Été 2004/IMG_0042.JPG</filename>")) << report;
  EXPECT_TRUE(
      Contains(report, "<dfxmlext:volume_path>Été 2004/IMG_0042.JPG</dfxmlext:volume_path>"));
  EXPECT_TRUE(Contains(report, "<mtime>2004-07-14T12:00:00Z</mtime>"));
}

// A raw image (2,352-byte sectors, each sector's data apart from the next's) gives every file
// by name too, byte for byte, not only an image of plain sectors.
TEST_F(NamesCarveTest, ARawImageGivesEveryFileByNameByteForByte) {
  const std::string plain = FileText(FamilyDisc());
  const std::string image = Folder("family.bin").string();
  ASSERT_TRUE(
      WriteFileBytes(image, FrameRawSectors({plain.begin(), plain.end()}, RawMode::kMode1)));
  const CarveOutcome outcome = Run({"--names", "--exact", image, Out()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files by name: 5, in " + Out() + "/Family/\n  whole: 5\n"))
      << outcome.err;
  for (const auto& [path, name] : {std::pair{"Été 2004/IMG_0042.JPG", "photo1.jpg"},
                                   {"Été 2004/IMG_0043.JPG", "photo2-exif.jpg"},
                                   {"music/song.mp3", "song.mp3"},
                                   {"docs/notes.txt", "notes.txt"},
                                   {"docs/chart.png", "chart.png"}}) {
    EXPECT_TRUE(FileText(Folder("out") / "Family" / path) == Sample(name)) << path;
  }
}

// A bad sector in a photo, and one in a song long enough to go from the image to its file
// without being read by the carver: both come back named, with zeros for the sector.
TEST_F(NamesCarveTest, AFileOverAnUnreadableSectorComesBackNamedInTheSummary) {
  const std::string image = FamilyDisc();
  const std::string disc = FileText(image);
  const std::size_t photo = disc.find(Sample("photo1.jpg"));
  const std::size_t song = disc.find(Sample("song.mp3"));
  ASSERT_NE(photo, std::string::npos);
  ASSERT_NE(song, std::string::npos);
  const std::string badPhoto = std::to_string(photo / 2048 + 1);
  const std::string badSong = std::to_string(song / 2048 + 9);
  const CarveOutcome outcome =
      Run({"--names", "--report", Folder("report.xml").string(), image, Out()},
          {DamagedDrive(image, 0, badPhoto + "-" + badPhoto + "," + badSong + "-" + badSong, 1)});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string damagedPhoto = Out() + "/Family/Été 2004/IMG_0042.JPG";
  const std::string damagedSong = Out() + "/Family/music/song.mp3";
  EXPECT_TRUE(Contains(outcome.err, "with unreadable sectors (zeros) or cut short: 2\n"))
      << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "    " + damagedPhoto + "\n")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "    " + damagedSong + "\n")) << outcome.err;
  std::string expected = Sample("photo1.jpg");
  std::fill_n(expected.begin() + 2048, 2048, '\0');
  EXPECT_TRUE(FileText(damagedPhoto) == expected);
  expected = Sample("song.mp3");
  std::fill_n(expected.begin() + 9 * 2048, 2048, '\0');
  EXPECT_TRUE(FileText(damagedSong) == expected);
  const std::string report = FileText(Folder("report.xml"));
  EXPECT_TRUE(Contains(report, "<byte_run file_offset=\"2048\" fill=\"0\" len=\"2048\"/>"))
      << report;
  EXPECT_TRUE(Contains(report, "<byte_run file_offset=\"18432\" fill=\"0\" len=\"2048\"/>"))
      << report;
}

TEST_F(NamesCarveTest, FilesOnlyAnOlderSessionListsAreCountedAndReported) {
  const std::vector<uint8_t> bytes =
      MultisessionImage("xorriso", {{{{"notes.txt", "first notes"}, {"gone.txt", "gone"}}, {}},
                                    {{{"notes.txt", "second notes"}}, {"/gone.txt"}}});
  ASSERT_FALSE(bytes.empty());
  const std::string image = Folder("sessions.iso").string();
  std::ofstream(image, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const CarveOutcome outcome =
      Run({"--names", "--report", Folder("report.xml").string(), image, Out()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files by name: 3, in " + Out() +
                                        "/SESSIONS/\n  whole: 3\n"
                                        "  from older sessions (removed or replaced since): 2\n"))
      << outcome.err;
  EXPECT_EQ(FileText(Folder("out") / "SESSIONS" / "notes (session 1).txt"), "first notes");
  const Report report(Folder("report.xml").string());
  ExpectReportChecksOut(report, {Out() + "/SESSIONS"}, image);
  EXPECT_EQ(report.One("/d:dfxml/d:fileobject[d:filename='out/SESSIONS/gone (session 1).txt']"
                       "/x:older_session"),
            "1");
}

TEST_F(NamesCarveTest, UdfNamesComeBackWhereOnlyUdfCarriesThemAndDeletedEntriesToo) {
  // A bridge disc without Joliet or Rock Ridge: its long names are UDF's alone.
  const DiscTree tree = {{"Été 2004/IMG_0042 (the one at the lake).JPG", Sample("photo1.jpg")},
                         {"music/song.mp3", Sample("song.mp3")}};
  WriteTree(Folder("tree").string(), tree, 1089806400);
  const std::string bridge = Folder("bridge.iso").string();
  ASSERT_EQ(RunTool({"genisoimage", "-quiet", "-udf", "-input-charset", "utf-8", "-V", "Family",
                     "-o", bridge, Folder("tree").string()}),
            0);
  CarveOutcome outcome = Run({"--names", "--exact", bridge, Out()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  for (const auto& [path, bytes] : tree) {
    EXPECT_TRUE(FileText(Folder("out") / "Family" / path) == bytes) << path;
  }
  EXPECT_TRUE(Contains(outcome.err, "Files by name: 2, in " + Out() + "/Family/\n  whole: 2\n"))
      << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files recovered by carving: 0")) << outcome.err;

  // A packet-written disc (virtual allocation table) where a photo was deleted.
  const std::string packets = Folder("packets.udf").string();
  ASSERT_EQ(RunTool({"mkudffs", "--new-file", "--blocksize=2048", "--media-type=cdr", "--vat",
                     "--label=Camcorder", packets, "600"}),
            0);
  UdfImage made(ReadFileBytes(packets));
  made.Add("DCIM/IMG_0001.JPG", Sample("photo1.jpg"));
  made.Add("DCIM/IMG_0002.JPG", Sample("photo2-exif.jpg"), {.deleted = true});
  const std::vector<uint8_t> image = made.Finish();
  WriteAll(packets, std::string(image.begin(), image.end()));
  outcome = Run({"--names", "--exact", "--report", Folder("report.xml").string(), packets, Out()});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(FileText(Folder("out") / "Camcorder/DCIM/IMG_0001.JPG") == Sample("photo1.jpg"));
  EXPECT_TRUE(FileText(Folder("out") / "Camcorder/DCIM/IMG_0002 (deleted).JPG") ==
              Sample("photo2-exif.jpg"));
  EXPECT_TRUE(Contains(outcome.err, "Files by name: 2, in " + Out() +
                                        "/Camcorder/\n  whole: 2\n"
                                        "  deleted (their entries marked so on the disc): 1\n"))
      << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files recovered by carving: 0")) << outcome.err;
  const Report report(Folder("report.xml").string());
  ExpectReportChecksOut(report, {Out() + "/Camcorder/DCIM"}, packets);
  EXPECT_EQ(report.One("/d:dfxml/d:fileobject[d:filename='out/Camcorder/DCIM/IMG_0002 "
                       "(deleted).JPG']/x:deleted"),
            "1");
}

}  // namespace
}  // namespace orlenta
