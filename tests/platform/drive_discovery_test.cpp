// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/drive_discovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/drive_map_file.h"
#include "platform/optical_drives.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(DriveMapFile, ReadsLettersBToMAndSkipsTheRest) {
  const auto drives = ParseDriveMap(
      "# drives of the lab\n"
      "\n"
      "e=/images/holiday.iso\r\n"
      "B=/dev/sr1\n"
      "A=/images/a.iso\n"
      "N=/images/n.iso\n"
      "F /images/no-equals.iso\n"
      "  G=/images/with space.iso\n"
      "E=/images/later.iso");
  EXPECT_THAT(drives, ElementsAre(Pair('B', "/dev/sr1"), Pair('E', "/images/later.iso"),
                                  Pair('G', "/images/with space.iso")));
}

TEST(DriveMapFile, FormatReadsBackAsTheSameMap) {
  const std::map<char, std::string> drives = {{'M', "/x/m.iso"}, {'C', "/dev/sr0"}};
  EXPECT_EQ(FormatDriveMap(drives), "C=/dev/sr0\nM=/x/m.iso\n");
  EXPECT_EQ(ParseDriveMap(FormatDriveMap(drives)), drives);
  // A path that would break the line, or a letter out of range, is not written at all.
  EXPECT_EQ(FormatDriveMap({{'D', "/a\nE=/b"}, {'Z', "/z"}}), "");
}

TEST(DriveMapFile, CarriageReturnsEndTheLineAndNeverEndAPath) {
  // A file converted to CRLF twice ends its lines with CR CR LF; the path is the same.
  const auto drives = ParseDriveMap("D=/images/a.iso\r\r\nE=/images/b.iso\r\n");
  EXPECT_THAT(drives, ElementsAre(Pair('D', "/images/a.iso"), Pair('E', "/images/b.iso")));
  EXPECT_EQ(ParseDriveMap(FormatDriveMap(drives)), drives);
  // A path ending in CR could not be read back, so it is not written, like one with a LF.
  EXPECT_EQ(FormatDriveMap({{'F', "/images/c.iso\r"}, {'G', "/images/d\re.iso"}}),
            "G=/images/d\re.iso\n");
}

// A fake /sys/class/block and /dev: each optical "device" is a plain file.
class DriveDiscoveryTest : public ::testing::Test {
 protected:
  void AddBlockDevice(const std::string& name, const char* scsiType) {
    const std::filesystem::path entry = temp_.Path() / "sys" / name;
    std::filesystem::create_directories(entry / "device");
    if (scsiType) std::ofstream(entry / "device" / "type") << scsiType << "\n";
    std::ofstream(temp_.Path() / "dev" / name) << "disc";
  }
  void WriteDriveMap(const std::string& text) { std::ofstream(paths_.driveMapFile) << text; }
  std::map<char, std::string> Discover() { return DiscoverDrives(paths_).Paths(); }
  std::string Device(const std::string& name) const { return paths_.devRoot + "/" + name; }
  std::string Image(const std::string& name) {
    const std::string path = temp_.File(name);
    std::ofstream(path) << "image";
    return path;
  }

  void SetUp() override {
    std::filesystem::create_directories(temp_.Path() / "sys");
    std::filesystem::create_directories(temp_.Path() / "dev");
  }

  TempDir temp_;
  DriveDiscoveryPaths paths_{temp_.File("drives"), temp_.File("sys"), temp_.File("dev")};
};

TEST_F(DriveDiscoveryTest, NoDrivesAndNoMapListsNothing) {
  AddBlockDevice("sda", "0");
  EXPECT_TRUE(Discover().empty());
}

TEST_F(DriveDiscoveryTest, KernelDrivesTakeLettersFromDInTheirNumberOrder) {
  AddBlockDevice("sr10", "5");
  AddBlockDevice("sr1", "5");
  AddBlockDevice("sr0", "5");
  AddBlockDevice("sr2", "0");  // not an optical drive
  AddBlockDevice("sr3", nullptr);
  EXPECT_THAT(KernelOpticalDrives(paths_.sysBlockRoot, paths_.devRoot),
              ElementsAre(Device("sr0"), Device("sr1"), Device("sr10")));
  EXPECT_THAT(Discover(), ElementsAre(Pair('D', Device("sr0")), Pair('E', Device("sr1")),
                                      Pair('F', Device("sr10"))));
}

TEST_F(DriveDiscoveryTest, MappedLettersComeFirstAndKernelDrivesFillTheGaps) {
  AddBlockDevice("sr0", "5");
  AddBlockDevice("sr1", "5");
  const std::string holiday = Image("holiday.iso");
  WriteDriveMap("D=" + holiday + "\nF=" + Device("sr1") + "\nG=" + temp_.File("gone.iso") + "\n");
  // sr1 keeps the letter the map gives it; the missing image is not listed, and its letter
  // is not handed to a kernel drive either.
  EXPECT_THAT(Discover(),
              ElementsAre(Pair('D', holiday), Pair('E', Device("sr0")), Pair('F', Device("sr1"))));
}

TEST_F(DriveDiscoveryTest, KernelDrivesBeyondMAreNotListed) {
  std::string map;
  for (char letter = 'D'; letter <= 'M'; ++letter) {
    map += std::string(1, letter) + "=" + Image(std::string(1, letter)) + "\n";
  }
  WriteDriveMap(map);
  AddBlockDevice("sr0", "5");
  const auto drives = Discover();
  EXPECT_EQ(drives.size(), 10u);
  EXPECT_EQ(drives.rbegin()->first, 'M');
  EXPECT_EQ(drives.count('B') + drives.count('C'), 0u);
}

}  // namespace
}  // namespace orlenta
