// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve on Expert Witness sets as an acquisition tool (ewfacquire) writes them, whole
// and in the ways they come damaged: a segment missing, renamed, cut short, a FIFO in its
// place, or chunks that fail their checksum. ewfverify, on the same sets, is the judge.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "carve_process_fixture.h"
#include "engine/file_kind.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class EvidenceSetTest : public CarveProcessTest {
 protected:
  void SetUp() override {
    if (!fs::exists("/usr/bin/ewfacquire")) GTEST_SKIP() << "ewfacquire is not installed";
    // 3 MB of 512-byte sectors in segments of 1 MiB: case.E01, case.E02, case.E03.
    const std::vector<uint8_t> medium = BuildVolume(1500, {{0, kJpeg}, {700, kGif}});
    WriteAll(Folder("medium.raw"), std::string(medium.begin(), medium.end()));
    fs::create_directories(Folder("set"));
    const std::string command = "/usr/bin/ewfacquire -u -q -c none -P 512 -S 1MiB -t '" +
                                Folder("set/case").string() + "' '" +
                                Folder("medium.raw").string() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(fs::exists(Segment("case.E03")));
  }

  fs::path Segment(const char* name) const { return Folder("set") / name; }

  // What ewfverify says of the set: its output, and whether it verified it.
  std::pair<bool, std::string> Verify() {
    const std::string command = "/usr/bin/ewfverify -q '" + Segment("case.E01").string() + "' > '" +
                                Folder("verify.txt").string() + "' 2>&1";
    const bool verified = std::system(command.c_str()) == 0;
    return {verified, FileText(Folder("verify.txt"))};
  }

  CarveOutcome Carve(const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{Segment("case.E01").string(), Folder("out").string()};
    args.insert(args.end(), more.begin(), more.end());
    return Wait(Start(args), 30);
  }
};

TEST_F(EvidenceSetTest, AnIncompleteSetIsRefusedNamingTheSegmentAndNeverWaitedFor) {
  const std::string set = Segment("").string();
  struct Damage {
    const char* what;
    std::function<void()> apply;
    std::string message;
  };
  const std::vector<Damage> damages = {
      {"first missing", [&] { fs::remove(Segment("case.E01")); }, "cannot be opened"},
      {"middle missing", [&] { fs::remove(Segment("case.E02")); },
       "whose segment " + set + "case.E02 is missing"},
      {"last missing", [&] { fs::remove(Segment("case.E03")); },
       "whose segment " + set + "case.E03 is missing"},
      {"renamed in another case", [&] { fs::rename(Segment("case.E02"), Segment("case.e02")); },
       "case.E02 is missing (case.e02 differs from that name in letter case)"},
      {"cut short", [&] { fs::resize_file(Segment("case.E02"), 500000); },
       "whose segment " + set + "case.E02 is damaged or cut short"},
      {"a FIFO in its place",
       [&] {
         fs::remove(Segment("case.E02"));
         mkfifo(Segment("case.E02").c_str(), 0600);
       },
       "whose segment " + set + "case.E02 is not a regular file"},
  };
  fs::create_directories(Folder("whole"));
  for (const char* name : {"case.E01", "case.E02", "case.E03"}) {
    fs::copy_file(Segment(name), Folder("whole") / name);
  }
  for (const Damage& damage : damages) {
    fs::remove_all(Folder("set"));
    fs::copy(Folder("whole"), Folder("set"));
    damage.apply();
    // The judge agrees the set is not whole (it would wait for a writer of a FIFO).
    if (!fs::is_fifo(Segment("case.E02"))) {
      EXPECT_FALSE(Verify().first) << damage.what;
    }
    const CarveOutcome outcome = Carve();
    EXPECT_EQ(outcome.status, 2) << damage.what << "\n" << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, damage.message)) << damage.what << "\n" << outcome.err;
    EXPECT_FALSE(Contains(outcome.err, "Process completed!")) << damage.what;
    EXPECT_FALSE(fs::exists(Folder("out"))) << damage.what;
  }
}

TEST_F(EvidenceSetTest, ChunksFailingTheirChecksumAreUnreadableAsEwfverifyCountsThem) {
  {
    // Garbage over several chunks in a row of the second segment.
    std::fstream segment(Segment("case.E02"), std::ios::in | std::ios::out | std::ios::binary);
    segment.seekp(300000);
    segment << std::string(200000, '\xAA');
  }
  const auto [verified, verdict] = Verify();
  ASSERT_FALSE(verified) << verdict;
  // ewfverify names the count of failing sectors as "(number: N)".
  const std::string label = "(number: ";
  const auto at = verdict.find(label);
  ASSERT_NE(at, std::string::npos) << verdict;
  const auto begin = at + label.size();
  const std::string counted = verdict.substr(begin, verdict.find(')', begin) - begin);
  ASSERT_FALSE(counted.empty()) << verdict;
  const CarveOutcome outcome = Carve({"--report", Folder("report.xml").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Sectors unreadable: " + counted + "\n"))
      << outcome.err << verdict;
  // A mapfile counts the source's bytes, which an evidence set's sectors are not.
  const CarveOutcome mapped = Carve({"--mapfile", Folder("set.map").string()});
  EXPECT_EQ(mapped.status, 2) << mapped.err;
  EXPECT_FALSE(fs::exists(Folder("set.map")));
}

}  // namespace
}  // namespace orlenta
