// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve on damaged media and odd inputs, run as a user runs it: a worn drive (an
// image read through the damaged-drive library), signals in the middle of a run, FIFOs
// where files are expected, a source that shrinks, a disk that fills up.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "carve_process_fixture.h"
#include "engine/file_kind.h"
#include "support/file_size_limit.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string AsText(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CarveDamageTest : public CarveProcessTest {
 protected:
  // An image of `sectors` sectors with the listed headers.
  std::string Image(const char* name, uint64_t sectors,
                    const std::vector<std::pair<uint64_t, int>>& headers) {
    const fs::path path = Folder(name);
    WriteAll(path, AsText(BuildVolume(sectors, headers)));
    return path.string();
  }

  // A sparse image of 16 GiB with the listed headers: far too long to be carved while a
  // test waits, so a run on it is still going when the test acts.
  std::string EndlessImage(const std::vector<std::pair<uint64_t, int>>& headers) {
    uint64_t last = 0;
    for (const auto& [sector, kind] : headers) last = std::max(last, sector + 1);
    const std::string path = Image("endless.img", last, headers);
    fs::resize_file(path, uint64_t{16} << 30);
    return path;
  }

  // Waits until `file` exists in the output folder (at most 10 s).
  bool AwaitFile(const char* file) {
    for (int i = 0; i < 1000; ++i) {
      if (fs::exists(Folder("out") / file)) return true;
      usleep(10000);
    }
    return false;
  }

  std::string Out() const { return Folder("out").string(); }
};

TEST_F(CarveDamageTest, AnInterruptInsideABadZoneEndsTheRunWithinOneFailingRead) {
  // Every read touching sectors 100..611 fails after 50 ms: the first block fails, and its
  // sectors are tried one by one. Ctrl-C must not wait for the rest of them.
  const std::string image = Image("scratched.img", 1, {{0, kJpeg}});
  fs::resize_file(image, 40000 * 2048);
  const pid_t pid = Start({image, Out(), "--quiet"}, {DamagedDrive(image, 0, "100-611", 50)});
  usleep(1000000);  // well inside the bad zone by now: it takes 20 s to try it all
  const auto sent = Clock::now();
  kill(pid, SIGINT);
  const CarveOutcome outcome = Wait(pid, 60);
  const std::chrono::duration<double> latency = Clock::now() - sent;
  EXPECT_EQ(outcome.status, 130) << outcome.err;
  // One failing read is 50 ms; trying the rest of the block would take 20 s. The bound
  // leaves room for a loaded machine and a sanitizer build.
  EXPECT_LT(latency.count(), 2.0);
  EXPECT_TRUE(Contains(outcome.err, "Recovery process aborted!")) << outcome.err;
  // Sectors never tried are not called unreadable.
  EXPECT_FALSE(Contains(outcome.err, "Sectors unreadable: 512")) << outcome.err;
}

TEST_F(CarveDamageTest, TermAndHangupEndTheRunAsCtrlCDoesWithTheirOwnStatus) {
  const std::string image = EndlessImage({{0, kJpeg}});
  for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
    fs::remove_all(Folder("out"));
    const std::string report = (Folder("out-report.xml")).string() + std::to_string(signal);
    const pid_t pid = Start({image, Out(), "--report", report});
    ASSERT_TRUE(AwaitFile("1REC.jpg"));
    usleep(100000);
    kill(pid, signal);
    const CarveOutcome outcome = Wait(pid, 60);
    EXPECT_EQ(outcome.status, status) << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, "Recovery process aborted!")) << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, "Files recovered: 1")) << outcome.err;
    EXPECT_GT(fs::file_size(Folder("out") / "1REC.jpg"), 0u);
    const std::string xml = FileText(report);
    EXPECT_TRUE(Contains(xml, "<dfxmlext:outcome>aborted</dfxmlext:outcome>")) << xml;
    EXPECT_TRUE(Contains(xml, "</dfxml>"));
  }
}

TEST_F(CarveDamageTest, AClosedStdoutEndsTheFileLinesAndTheRunFinishesProperly) {
  const std::string image = EndlessImage({{0, kJpeg}, {10, kGif}});
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);  // as `| head -0`: nobody reads the file lines
  const std::string report = Folder("report.xml").string();
  const pid_t pid = Start({image, Out(), "--report", report}, {{}, ends[1]});
  close(ends[1]);
  const CarveOutcome outcome = Wait(pid, 60);
  EXPECT_EQ(outcome.status, 128 + SIGPIPE) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Recovery process aborted!")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Sectors scanned:")) << outcome.err;
  EXPECT_TRUE(Contains(FileText(report), "</dfxml>"));
}

TEST_F(CarveDamageTest, AFileThatOutgrowsTheSizeLimitIsAWriteFailureNotADeath) {
  const std::string image = Image("disc.img", 60, {{0, kJpeg}, {40, kGif}});
  CarveOutcome outcome;
  {
    const FileSizeLimit limit(64 * 1024);  // the JPEG is 80 KiB, the GIF 40 KiB
    outcome = Run({image, Out(), "--quiet"});
  }
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "cannot write " + Out() + "/1REC.jpg: File too large"))
      << outcome.err;
  EXPECT_EQ(fs::file_size(Folder("out") / "1REC.gif"), 20u * 2048);
  EXPECT_TRUE(Contains(outcome.err, "Files recovered: 1\n")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Files incomplete: 1\n")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "  " + Out() + "/1REC.jpg\n")) << outcome.err;
}

TEST_F(CarveDamageTest, AFifoIsRefusedAsSourceAndAsSettingsInsteadOfWaitingForAWriter) {
  ASSERT_EQ(mkfifo(Folder("fifo").c_str(), 0600), 0);
  const CarveOutcome source = Wait(Start({Folder("fifo").string(), Out()}), 10);
  EXPECT_EQ(source.status, 2);
  EXPECT_TRUE(Contains(source.err, "fifo: is not an image file or a block device")) << source.err;

  const std::string image = Image("disc.img", 4, {{0, kJpeg}});
  fs::create_directories(SettingsFile().parent_path());
  ASSERT_EQ(mkfifo(SettingsFile().c_str(), 0600), 0);
  const CarveOutcome settings = Wait(Start({image}), 10);
  EXPECT_EQ(settings.status, 2);
  EXPECT_TRUE(Contains(settings.err, SettingsFile().string())) << settings.err;
}

TEST_F(CarveDamageTest, TheReportKeepsTheFinishedFilesOfARunThatIsKilled) {
  const std::string image = EndlessImage({{0, kJpeg}, {10, kGif}, {20, kPng}});
  const std::string report = Folder("report.xml").string();
  const pid_t pid = Start({image, Out(), "--quiet", "--report", report});
  ASSERT_TRUE(AwaitFile("1REC.png"));
  usleep(200000);
  kill(pid, SIGKILL);
  Wait(pid);
  const std::string xml = FileText(report);
  // Names are relative to the report's folder, which holds `out`.
  EXPECT_TRUE(Contains(xml, "<filename>out/1REC.jpg</filename>")) << xml;
  EXPECT_TRUE(Contains(xml, "<filename>out/1REC.gif</filename>")) << xml;
}

TEST_F(CarveDamageTest, ADiscWithoutOneReadableSectorIsAFailureNamingTheSource) {
  const std::string image = Image("blank.img", 40, {{3, kJpeg}});
  const CarveOutcome outcome = Run({image, Out()}, {DamagedDrive(image, 0, "0-39", 1)});
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, image + ": no sector could be read")) << outcome.err;
  EXPECT_FALSE(Contains(outcome.err, "Process completed!")) << outcome.err;
}

TEST_F(CarveDamageTest, ASourceThatShrinksStopsTheRunWithWhatWasReallyRead) {
  // Read at 20 MB/s, the 64 MiB image takes seconds; it is cut to 8 MiB meanwhile, as a
  // disc that goes away.
  // The cut falls inside a sector: the file keeps the 1,728 bytes of it that are still
  // there, and no zeros stand in for the rest.
  const std::string image = Image("shrinking.img", 32768, {{0, kJpeg}});
  const std::string bytes = FileText(image);
  const pid_t pid = Start({image, Out()}, {DamagedDrive(image, 20e6, "", 1)});
  ASSERT_TRUE(AwaitFile("1REC.jpg"));
  const uint64_t cut = (uint64_t{8} << 20) + 1728;
  fs::resize_file(image, cut);
  const CarveOutcome outcome = Wait(pid, 60);
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, image + ": the medium went away")) << outcome.err;
  EXPECT_TRUE(FileText((Folder("out") / "1REC.jpg").string()) == bytes.substr(0, cut));
  EXPECT_TRUE(Contains(outcome.err, "Sectors unreadable: 0\n")) << outcome.err;
  EXPECT_FALSE(Contains(outcome.err, "Process completed!")) << outcome.err;
}

TEST_F(CarveDamageTest, ADamagedOutputFolderInTheSettingsIsRefusedNamingTheFile) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}});
  std::string random(620, '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 37 + 11);
  std::string cut(620, '\0');
  cut.replace(0, 3, "REC");
  cut.replace(4, 12, (home_.Path() / "out").string().substr(0, 12));
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {cut.substr(0, 16), "does not end inside its field"},
      {"", "does not end inside its field"},
      {random, "control characters"},
  };
  for (const auto& [bytes, problem] : damaged) {
    WriteSettingsBytes(bytes);
    const CarveOutcome outcome = Run({image});
    EXPECT_EQ(outcome.status, 2) << problem;
    EXPECT_TRUE(Contains(outcome.err, SettingsFile().string() + ": ")) << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, problem)) << outcome.err;
  }
  WriteSettings("REC", "relative/");
  const CarveOutcome relative = Run({image});
  EXPECT_EQ(relative.status, 2);
  EXPECT_TRUE(Contains(relative.err, "is not an absolute path")) << relative.err;
  // Nothing was created anywhere but the settings folder.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(home_.Path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"config", "disc.img", "stderr.txt", "stdout.txt"}));
  // A folder given on the command line needs no settings.
  EXPECT_EQ(Run({image, Out(), "--quiet"}).status, 0);
}

TEST_F(CarveDamageTest, AnOutputFolderThatCannotBeLookedAtIsOneMessageNotACrash) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}});
  const std::string tooLong = (home_.Path() / std::string(300, 'n')).string();
  const CarveOutcome outcome = Run({image, tooLong});
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "File name too long")) << outcome.err;
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

TEST_F(CarveDamageTest, SkipBadJumpsOverAScratchAndLeavesAMapfileARescueToolRetries) {
  // 2,000 bad sectors of a 16 MiB disc; a JPEG before the scratch runs into it.
  const std::string image = Image("scratched.img", 1, {{0, kJpeg}});
  fs::resize_file(image, 8192 * 2048);
  const std::string map = Folder("disc.map").string();
  const std::string stats = Folder("reads.txt").string();
  std::vector<std::string> drive = DamagedDrive(image, 0, "3000-4999", 5);
  drive.push_back("ORLENTA_DAMAGED_STATS=" + stats);
  const CarveOutcome outcome =
      Run({image, Out(), "--quiet", "--skip-bad", "--mapfile", map}, {drive});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "Sectors skipped: ")) << outcome.err;
  // Every failing read of the run, the probes of the image's layout included.
  const std::string counts = FileText(stats);
  const int failed = std::stoi(counts.substr(counts.find("failed ") + 7));
  EXPECT_LE(failed, 64 + 12) << counts;
  const std::string text = FileText(map);
  EXPECT_TRUE(Contains(text, "0x00000000  0x005DC000  +\n")) << text;  // sectors 0..2999
  EXPECT_TRUE(Contains(text, "0x005DC000  0x00004000  -\n")) << text;  // the first 8 tried
  EXPECT_TRUE(Contains(text, "  ?\n")) << text;
  // The rescue tool reads it and would try exactly the bad and skipped areas again.
  if (!fs::exists("/usr/bin/ddrescuelog")) GTEST_SKIP() << "ddrescuelog is not installed";
  const std::string command = "/usr/bin/ddrescuelog --list-blocks=?- --block-size=2048 '" + map +
                              "' > '" + Folder("retry.txt").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << FileText(Folder("retry.txt"));
  const std::string retry = FileText(Folder("retry.txt"));
  EXPECT_TRUE(Contains(retry, "\n3000\n") || retry.rfind("3000\n", 0) == 0) << retry;
  EXPECT_FALSE(Contains(retry, "\n2999\n")) << retry;
  EXPECT_TRUE(Contains(retry, "\n4999\n")) << retry;
}

TEST_F(CarveDamageTest, AMapfileIsNeverWrittenOverAnExistingFile) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}});
  WriteAll(Folder("disc.map"), "mine");
  const CarveOutcome outcome = Run({image, Out(), "--mapfile", Folder("disc.map").string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(Contains(outcome.err, "cannot write the mapfile (File exists)")) << outcome.err;
  EXPECT_EQ(FileText(Folder("disc.map")), "mine");
}

TEST_F(CarveDamageTest, ARefusedRunLeavesNothingAndAKilledRunItsLastWholeMapfile) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}});
  const std::string map = Folder("disc.map").string();
  const std::string folder = (Folder("new") / "out").string();
  WriteAll(Folder("report.xml"), "mine");
  const CarveOutcome refused =
      Run({image, folder, "--mapfile", map, "--report", Folder("report.xml").string()});
  EXPECT_EQ(refused.status, 2) << refused.err;
  EXPECT_FALSE(fs::exists(map));
  EXPECT_FALSE(fs::exists(Folder("new")));
  // The corrected run is not blocked by anything the refused one left.
  const CarveOutcome rerun =
      Run({image, folder, "--mapfile", map, "--report", Folder("other.xml").string()});
  EXPECT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_TRUE(Contains(FileText(map), "0x00000000  0x00002000  +\n")) << FileText(map);

  // A run killed at any moment leaves a whole mapfile: at first nothing tried, later what
  // was read, as last saved.
  const std::string image2 = EndlessImage({{0, kJpeg}});
  const std::string map2 = Folder("endless.map").string();
  const pid_t pid = Start({image2, Out(), "--quiet", "--mapfile", map2});
  std::string text;
  bool whole = true;
  for (int i = 0; i < 1000 && whole && !Contains(text, "  +\n"); ++i) {
    usleep(10000);
    if (!fs::exists(map2)) continue;
    text = FileText(map2);
    whole = Contains(text, "#      pos        size  status\n");
  }
  kill(pid, SIGKILL);
  EXPECT_TRUE(whole) << text;
  Wait(pid);
  text = FileText(map2);
  EXPECT_TRUE(Contains(text, "0x00000000  0x")) << text;
  EXPECT_TRUE(Contains(text, "  +\n")) << text;
  EXPECT_TRUE(Contains(text, "  ?\n")) << text;
}

TEST_F(CarveDamageTest, StemsWithControlCharactersAreRefusedAndNamesArePrintedEscaped) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}, {2, kGif}});
  const CarveOutcome typed = Run({image, Out(), "--stem", "A\nB"});
  EXPECT_EQ(typed.status, 2) << typed.err;
  EXPECT_TRUE(Contains(typed.err, "a name stem cannot hold control characters")) << typed.err;
  WriteSettings("\x1B[m", Out());
  const CarveOutcome stored = Run({image});
  EXPECT_EQ(stored.status, 2) << stored.err;
  EXPECT_TRUE(Contains(stored.err, SettingsFile().string() + ": name stem \"\\x1B[m\": a name "
                                                             "stem cannot hold control characters"))
      << stored.err;
  EXPECT_FALSE(fs::exists(Folder("out")));
  fs::remove(SettingsFile());

  // A folder and a source whose names hold a newline and an escape: one line per file, and
  // nothing that steers the terminal.
  const std::string folder = Folder("new\nline").string();
  const CarveOutcome listed = Run({image, folder});
  EXPECT_EQ(listed.status, 0) << listed.err;
  const std::string printed = Folder("new").string() + "\\x0Aline/";
  EXPECT_EQ(listed.out,
            "File recovered: " + printed + "1REC.jpg\nFile recovered: " + printed + "1REC.gif\n");
  WriteAll(Folder("odd\x1B.img"), "");
  const CarveOutcome odd = Run({Folder("odd\x1B.img").string(), Out()});
  EXPECT_EQ(odd.status, 2) << odd.err;
  EXPECT_TRUE(Contains(odd.err, "odd\\x1B.img: cannot be read: not one whole sector\n")) << odd.err;
}

TEST_F(CarveDamageTest, AFileListThatCannotBeWrittenIsAFailure) {
  const std::string image = Image("disc.img", 4, {{0, kJpeg}, {2, kGif}});
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full here";
  const CarveOutcome outcome = Run({image, Out()}, {{}, full});
  close(full);
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_TRUE(
      Contains(outcome.err, "cannot write the list of recovered files: No space left on device\n"))
      << outcome.err;
  // The files themselves are there.
  EXPECT_TRUE(fs::exists(Folder("out") / "1REC.gif"));
}

// Every cause of a stop is heard within about one read, however slow the drive: Ctrl-C at
// 1x CD speed (150 kB/s, a 1 MB read-ahead would take 7 s), a closed stdout inside a bad
// zone where no file line is written, and a batch whose file lines nobody reads.
TEST_F(CarveDamageTest, EveryStopIsHeardWithinAboutOneRead) {
  const std::string slow = Image("slow.img", 1, {{0, kJpeg}});
  fs::resize_file(slow, 40000 * 2048);
  pid_t pid = Start({slow, Out(), "--quiet"}, {DamagedDrive(slow, 150e3, "", 1)});
  usleep(1500000);
  auto sent = Clock::now();
  kill(pid, SIGINT);
  CarveOutcome outcome = Wait(pid, 30);
  std::chrono::duration<double> latency = Clock::now() - sent;
  EXPECT_EQ(outcome.status, 130) << outcome.err;
  EXPECT_LT(latency.count(), 1.0);

  const std::string scratched = Image("scratched.img", 1, {{0, kJpeg}});
  fs::resize_file(scratched, 40000 * 2048);
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);  // the carve must not hold the reading end itself
  fs::remove_all(Folder("out"));
  pid = Start({scratched, Out()}, {DamagedDrive(scratched, 0, "100-39999", 50), ends[1]});
  close(ends[1]);
  usleep(1500000);  // the file line is in the pipe, the run deep in the bad zone
  sent = Clock::now();
  close(ends[0]);
  outcome = Wait(pid, 10);
  latency = Clock::now() - sent;
  EXPECT_EQ(outcome.status, 128 + SIGPIPE) << outcome.err;
  EXPECT_LT(latency.count(), 2.0);

  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);  // nobody reads the file lines
  const std::string first = Image("first.img", 4, {{0, kJpeg}});
  const std::string second = Image("second.img", 4, {{0, kGif}});
  pid = Start({first, second, "-o", Folder("root").string()}, {{}, ends[1]});
  close(ends[1]);
  outcome = Wait(pid, 30);
  EXPECT_EQ(outcome.status, 130) << outcome.err;  // a batch that was interrupted
  EXPECT_FALSE(fs::exists(Folder("root") / "second")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "not started")) << outcome.err;
}

}  // namespace
}  // namespace orlenta
