// SPDX-License-Identifier: GPL-3.0-or-later
// A real block device of 2,048-byte sectors: a read-only loop device over an image file.
// Skipped where loop devices cannot be made (no rights, no loop driver).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine/file_kind.h"
#include "platform/posix_volume.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

// The output of `command`, "" when it fails.
std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    if (::pclose(pipe) != 0) text.clear();
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// A loop device over `image`, detached when the test ends.
class LoopDevice {
 public:
  explicit LoopDevice(const std::string& image)
      : path_(Output("losetup -f --show -r --sector-size 2048 '" + image + "' 2>/dev/null")) {}
  ~LoopDevice() {
    if (!path_.empty()) std::system(("losetup -d " + path_ + " 2>/dev/null").c_str());
  }
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;
  const std::string& Path() const { return path_; }

  // 512-byte units the device has read from its file so far.
  uint64_t UnitsRead() const {
    std::ifstream stat("/sys/block/" + path_.substr(path_.rfind('/') + 1) + "/stat");
    uint64_t ios = 0, merges = 0, units = 0;
    stat >> ios >> merges >> units;
    return units;
  }

 private:
  std::string path_;
};

TEST(BlockDevice, ALoopDeviceOf2048ByteSectorsIsReadWithoutReadAhead) {
  TempDir dir;
  const std::vector<uint8_t> bytes = BuildVolume(2048, {{0, kJpeg}, {700, kPng}});
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), bytes));
  const LoopDevice loop(dir.File("disc.iso"));
  if (loop.Path().empty()) GTEST_SKIP() << "no loop device can be made here";
  const auto volume = OpenPosixVolume(loop.Path());
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), 2048u);
  ASSERT_EQ(volume->SectorCount(), 2048u);
  // One sector asked for is one sector read: no read-ahead around it, no page cache.
  const uint64_t before = loop.UnitsRead();
  std::vector<uint8_t> sector(2048);
  ASSERT_EQ(volume->ReadAt(1000 * 2048, sector), 2048);
  EXPECT_EQ(loop.UnitsRead() - before, 4u);
  EXPECT_EQ(sector, SectorRange(bytes, 1000, 1));
  // And into any buffer, at any offset, the bytes are the image's.
  std::vector<uint8_t> odd(5000);
  ASSERT_EQ(volume->ReadAt(699 * 2048 + 7, odd), 5000);
  EXPECT_TRUE(std::equal(odd.begin(), odd.end(), bytes.begin() + 699 * 2048 + 7));
  std::vector<uint8_t> all(bytes.size());
  ASSERT_EQ(volume->ReadAt(0, all), static_cast<int64_t>(all.size()));
  EXPECT_EQ(all, bytes);
}

}  // namespace
}  // namespace orlenta
