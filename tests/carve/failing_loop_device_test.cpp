// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve on a real block device: a loop device of 2,048-byte sectors standing on a
// file whose reads fail where the test says (orlenta_failing_disc, a FUSE file system that
// counts every read it serves). It needs root, /dev/fuse and loop devices, and is skipped,
// saying why, where any of them is missing (a container, a CI machine without them).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "carve_runner.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kSectors = 2048;  // 4 MiB: four of the reader's 1 MiB blocks
constexpr uint64_t kBadFirst = 40, kBadLast = 42;
constexpr int kFailMs = 20;

// How often each sector was read, how often by a read of that sector alone, and how often
// by a read that failed.
struct SectorReads {
  uint64_t all = 0, alone = 0, failed = 0;
};

// The output of `command` (our own paths only, never a user's text), or nullopt when it
// fails.
std::optional<std::string> Output(const std::string& command) {
  std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string said;
  char piece[256];
  for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, pipe)) > 0;)
    said.append(piece, got);
  if (::pclose(pipe) != 0) return std::nullopt;
  while (!said.empty() && said.back() == '\n') said.pop_back();
  return said;
}

// The failing file mounted, and the loop device over it; both gone again when it goes,
// whatever the test did.
class FailingLoopDevice {
 public:
  FailingLoopDevice(const std::string& image, const std::string& mount) : mount_(mount) {
    fs::create_directories(mount);
    daemon_ = ::fork();
    if (daemon_ == 0) {
      const std::string bad = std::to_string(kBadFirst) + "-" + std::to_string(kBadLast);
      const std::string ms = std::to_string(kFailMs);
      ::execl(ORLENTA_FAILING_DISC, ORLENTA_FAILING_DISC, image.c_str(), bad.c_str(), ms.c_str(),
              mount.c_str(), "-f", "-s", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200 && !fs::exists(mount + "/disc"); ++i) {
      if (::waitpid(daemon_, nullptr, WNOHANG) == daemon_) {
        daemon_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (!fs::exists(mount + "/disc")) return;
    mounted_ = true;
    loop_ = Output("losetup --sector-size 2048 --find --show " + mount + "/disc").value_or("");
  }
  ~FailingLoopDevice() {
    if (!loop_.empty()) std::system(("losetup -d " + loop_).c_str());
    if (mounted_) std::system(("fusermount3 -u " + mount_ + " || umount -l " + mount_).c_str());
    if (daemon_ > 0) {
      for (int i = 0; i < 100 && ::waitpid(daemon_, nullptr, WNOHANG) != daemon_; ++i) {
        if (i == 40) ::kill(daemon_, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
    }
  }
  FailingLoopDevice(const FailingLoopDevice&) = delete;
  FailingLoopDevice& operator=(const FailingLoopDevice&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Loop() const { return loop_; }

  std::map<uint64_t, SectorReads> Counts() const {
    std::map<uint64_t, SectorReads> counts;
    std::ifstream text(mount_ + "/counts");
    for (std::string line; std::getline(text, line);) {
      std::istringstream words(line);
      uint64_t sector = 0;
      SectorReads reads;
      if (words >> sector >> reads.all >> reads.alone >> reads.failed) counts[sector] = reads;
    }
    return counts;
  }

 private:
  std::string mount_;
  pid_t daemon_ = -1;
  bool mounted_ = false;
  std::string loop_;
};

TEST(FailingLoopDeviceTest, EveryBadSectorIsTriedAloneOnceAndNoSectorReadIsReadAgain) {
  if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
  if (!fs::exists("/dev/fuse")) GTEST_SKIP() << "no /dev/fuse";
  if (!Output("command -v losetup") || !Output("command -v fusermount3")) {
    GTEST_SKIP() << "losetup or fusermount3 missing";
  }
  TempDir dir;
  // The sample disc, then zeros up to 4 MiB.
  const std::string image = dir.File("disc.iso");
  fs::copy_file(ORLENTA_SAMPLE_DISC, image);
  fs::resize_file(image, kSectors * 2048);
  FailingLoopDevice device(image, dir.File("mnt"));
  if (!device.Mounted()) GTEST_SKIP() << "FUSE cannot mount here";
  if (device.Loop().empty()) GTEST_SKIP() << "loop devices are not allowed here";
  const std::map<uint64_t, SectorReads> before = device.Counts();

  const auto start = std::chrono::steady_clock::now();
  const int status = RunCarve(dir.Path().string(), {"--quiet", device.Loop(), dir.File("out")});
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const std::string err = FileText(dir.File("stderr.txt"));
  EXPECT_EQ(status, 0) << err;
  EXPECT_NE(err.find("Sectors unreadable: 3"), std::string::npos) << err;
  EXPECT_EQ(CarvedFiles(dir.File("out")).size(), 11u) << err;

  std::map<uint64_t, SectorReads> reads = device.Counts();
  for (const auto& [sector, earlier] : before) {
    reads[sector].all -= earlier.all;
    reads[sector].alone -= earlier.alone;
    reads[sector].failed -= earlier.failed;
  }
  // A read of several sectors that fails gives nothing back, not even the sectors before
  // the bad one (a block device fails it whole): its good sectors must be read again. No
  // other sector is: one a read gave back is never asked for again.
  uint64_t readAgain = 0;
  for (uint64_t sector = 0; sector < kSectors; ++sector) {
    const SectorReads& got = reads[sector];
    if (sector >= kBadFirst && sector <= kBadLast) {
      // Once by itself to find it bad, after at most one read of many that failed.
      EXPECT_EQ(got.alone, 1u) << "bad sector " << sector;
      EXPECT_LE(got.all, 2u) << "bad sector " << sector;
    } else {
      EXPECT_EQ(got.all - got.failed, 1u) << "sector " << sector << " given back more than once";
      EXPECT_LE(got.failed, 1u) << "sector " << sector;
      readAgain += got.all - 1;
    }
  }
  // Past the failing block, the disc is read in large reads at the device's speed.
  for (uint64_t sector = 512; sector < kSectors; ++sector) {
    EXPECT_EQ(reads[sector].all, 1u) << sector;
    EXPECT_EQ(reads[sector].alone, 0u) << sector;
  }
  std::printf("%s: %.2f s, %llu good sectors read twice\n", device.Loop().c_str(), took.count(),
              static_cast<unsigned long long>(readAgain));
}

}  // namespace
}  // namespace orlenta
