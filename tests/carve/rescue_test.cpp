// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve --image on a scratched disc, run as a user runs it: a worn drive (an image
// read through the damaged-drive library), runs stopped and gone on with, retries, and an
// image finished by ddrescue given back.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "carve_process_fixture.h"
#include "engine/file_kind.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kSectors = 3000;
constexpr const char* kScratch = "500-899";  // inside the JPEG that runs from 0 to 999

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The output of a program run with `words` (no shell), or "" when it failed.
std::string Output(const std::string& command, int* status = nullptr) {
  std::string text;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    const int ended = ::pclose(pipe);
    if (status) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
  }
  return text;
}

class RescueTest : public CarveProcessTest {
 protected:
  void SetUp() override {
    const std::vector<uint8_t> bytes =
        BuildVolume(kSectors, {{0, kJpeg}, {1000, kGif}, {2000, kPng}});
    source_ = Folder("disc.iso").string();
    WriteAll(source_, std::string(bytes.begin(), bytes.end()));
    clean_ = Run({source_, Folder("clean").string(), "--quiet"});
    ASSERT_EQ(clean_.status, 0) << clean_.err;
  }

  // The damaged drive: the scratch fails `tries` times in each run, then reads (never with
  // 0); good sectors read at `rate` bytes per second.
  std::vector<std::string> Drive(int tries, double rate = 0) {
    std::vector<std::string> env = DamagedDrive(source_, rate, kScratch, 1);
    if (tries > 0) env.push_back("ORLENTA_DAMAGED_TRIES=" + std::to_string(tries));
    env.push_back("ORLENTA_DAMAGED_COUNTS=" + Folder("counts").string());
    return env;
  }

  std::vector<std::string> Rescue(std::vector<std::string> more = {}) {
    std::vector<std::string> args{source_, Out(), "--image", Image()};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  std::string Out() const { return Folder("out").string(); }
  std::string Image() const { return Folder("disc.img").string(); }
  std::string Mapfile() const { return Image() + ".map"; }

  // The recovered files of `folder`, without the record kept beside them.
  std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files = CarvedFiles(folder);
    files.erase("rescue-record.tsv");
    files.erase("report.xml");
    return files;
  }

  // The block numbers ddrescuelog lists for `types` in the mapfile.
  std::string Blocks(const char* types) {
    return Output("ddrescuelog -b2048 -l" + std::string(types) + " " + Mapfile());
  }

  std::string source_;
  CarveOutcome clean_;
};

TEST_F(RescueTest, TheImageHoldsWhatWasReadAndItsMapfileTheRestForDdrescue) {
  const CarveOutcome run = Run(Rescue({"--quiet"}), {Drive(0)});
  EXPECT_EQ(run.status, 0) << run.err;
  // The same files as without an image, the scratch as zeros in the JPEG.
  const auto files = Files(Out());
  EXPECT_EQ(files.size(), 3u);
  EXPECT_EQ(files.at("1REC.gif"), Files(Folder("clean").string()).at("1REC.gif"));
  const std::string image = FileText(Image());
  const std::string source = FileText(source_);
  ASSERT_EQ(image.size(), source.size());
  EXPECT_EQ(image.substr(0, 500 * 2048), source.substr(0, 500 * 2048));
  EXPECT_EQ(image.substr(900 * 2048), source.substr(900 * 2048));
  EXPECT_EQ(image.substr(500 * 2048, 400 * 2048), std::string(400 * 2048, '\0'));
  int status = -1;
  Output("ddrescuelog -t " + Mapfile() + " >/dev/null", &status);
  EXPECT_EQ(status, 0);
  const std::string bad = Blocks("-");
  EXPECT_TRUE(bad.starts_with("500\n501\n")) << bad.substr(0, 100);
  EXPECT_TRUE(bad.ends_with("\n899\n"));
  EXPECT_EQ(Blocks("?"), "");
  EXPECT_TRUE(Contains(run.err, "Files still holding unreadable sectors: 1")) << run.err;
}

TEST_F(RescueTest, AStoppedRunLeavesImageAndMapfileThatAgree) {
  // 400 KB/s: the 6 MB disc takes 15 s, so the stop comes well inside it.
  const pid_t pid = Start(Rescue({"--quiet"}), {Drive(0, 400000)});
  usleep(2500000);
  kill(pid, SIGINT);
  const CarveOutcome run = Wait(pid, 60);
  EXPECT_EQ(run.status, 130) << run.err;
  const std::string read = Blocks("+");
  ASSERT_FALSE(read.empty());
  EXPECT_NE(Blocks("?"), "");
  const std::string image = FileText(Image());
  const std::string source = FileText(source_);
  std::istringstream blocks(read);
  for (uint64_t block = 0; blocks >> block;) {
    ASSERT_EQ(image.substr(block * 2048, 2048), source.substr(block * 2048, 2048)) << block;
  }
}

TEST_F(RescueTest, RetriesMendTheFilesUntilTheyAreTheCleanDiscs) {
  // A first, fast pass that jumps over the scratch; then three retries, in which every
  // sector of the scratch reads at its third try.
  const CarveOutcome first = Run(Rescue({"--quiet", "--skip-bad"}), {Drive(2)});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(Files(Out()), Files(Folder("clean").string()));
  const CarveOutcome second = Run(Rescue({"--skip-bad", "--retries", "3"}), {Drive(2)});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(Files(Out()), Files(Folder("clean").string()));
  EXPECT_TRUE(Contains(second.err, "Files mended: 1\n  " + Out() + "/1REC.jpg\n")) << second.err;
  EXPECT_TRUE(Contains(second.err, "Every file holds only sectors that were read")) << second.err;
  EXPECT_TRUE(Contains(second.out, "File mended: " + Out() + "/1REC.jpg")) << second.out;
  EXPECT_EQ(Blocks("?-"), "");
  // The medium is read once, the scratch's sectors as often as they fail and once more;
  // none is read again from the medium once in the image. The first sectors are left out:
  // each opening of the source looks at them to tell its layout.
  std::ifstream counts(Folder("counts"), std::ios::binary);
  uint32_t count = 0;
  for (uint64_t sector = 0; counts.read(reinterpret_cast<char*>(&count), sizeof count); ++sector) {
    if (sector < 64) continue;
    const bool scratched = sector >= 500 && sector <= 899;
    // The first run reads the two blocks of 512 sectors that touch the scratch, then their
    // sectors one by one; the second, two failures and the read for each sector of it.
    const bool inFailingBlock = sector < 1024;
    EXPECT_LE(count, scratched ? 5u : inFailingBlock ? 2u : 1u) << sector;
  }
}

TEST_F(RescueTest, RunsStoppedAndGoneOnWithGiveTheFilesRecordAndMapOfOneRun) {
  CarveOutcome whole =
      Run({source_, Folder("whole").string(), "--image", Folder("whole.img").string(), "--quiet"},
          {Drive(0)});
  ASSERT_EQ(whole.status, 0) << whole.err;
  for (const int stopAfterMs : {1500, 4000}) {
    const pid_t pid = Start(Rescue({"--quiet"}), {Drive(0, 600000)});
    usleep(stopAfterMs * 1000);
    kill(pid, SIGINT);
    const CarveOutcome stopped = Wait(pid, 60);
    EXPECT_TRUE(stopped.status == 130 || stopped.status == 0) << stopped.err;
  }
  const CarveOutcome last = Run(Rescue({"--quiet"}), {Drive(0)});
  EXPECT_EQ(last.status, 0) << last.err;
  EXPECT_EQ(Files(Out()), Files(Folder("whole").string()));
  EXPECT_EQ(FileText(Out() + "/rescue-record.tsv"),
            FileText(Folder("whole").string() + "/rescue-record.tsv"));
  EXPECT_EQ(FileText(Image()), FileText(Folder("whole.img").string()));
  EXPECT_EQ(Blocks("+"), Output("ddrescuelog -b2048 -l+ " + Folder("whole.img.map").string()));
}

TEST_F(RescueTest, AnImageFinishedByDdrescueMendsAFileChangedSinceInACopyBesideIt) {
  const CarveOutcome first =
      Run(Rescue({"--quiet", "--report", Folder("report.xml").string()}), {Drive(0)});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(FileText(Folder("report.xml")), "fill=\"0\""));
  // The user has edited the JPEG since: it is left as it is, its mended copy goes beside.
  const std::string jpeg = Out() + "/1REC.jpg";
  std::ofstream(jpeg, std::ios::app) << "edited";
  const std::string edited = FileText(jpeg);
  int status = -1;
  Output("ddrescue -r1 -b2048 " + source_ + " " + Image() + " " + Mapfile() + " >/dev/null 2>&1",
         &status);
  ASSERT_EQ(status, 0);
  const CarveOutcome second = Run(Rescue({"--report", Folder("report.xml").string()}));
  EXPECT_EQ(second.status, 0) << second.err;
  const auto clean = Files(Folder("clean").string());
  const auto files = Files(Out());
  EXPECT_EQ(files.at("1REC.jpg"), edited);
  EXPECT_EQ(files.at("1REC.mended.jpg"), clean.at("1REC.jpg"));
  EXPECT_EQ(files.size(), 4u);  // nothing else written twice
  EXPECT_TRUE(Contains(second.err, "Files mended beside a file changed since: 1")) << second.err;
  const std::string xml = FileText(Folder("report.xml"));
  EXPECT_FALSE(Contains(xml, "fill=\"0\"")) << xml;
  EXPECT_TRUE(Contains(xml, "1REC.mended.jpg</filename>")) << xml;
}

}  // namespace
}  // namespace orlenta
