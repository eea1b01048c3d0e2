// SPDX-License-Identifier: GPL-3.0-or-later
// A raw image split into segments reads as the image whole; a set with a segment missing
// or cut short is refused, never read with a gap.
#include "platform/split_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/file_kind.h"
#include "platform/posix_volume.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// Writes `bytes` as segments of `segmentBytes` each (the last one what is left) named
// `stem`.001, `stem`.002, …; returns their paths.
std::vector<std::string> WriteSegments(const std::string& stem, const std::vector<uint8_t>& bytes,
                                       std::size_t segmentBytes) {
  std::vector<std::string> paths;
  for (std::size_t at = 0; at < bytes.size(); at += segmentBytes) {
    char number[8];
    std::snprintf(number, sizeof number, ".%03zu", paths.size() + 1);
    paths.push_back(stem + number);
    const std::size_t end = std::min(bytes.size(), at + segmentBytes);
    EXPECT_TRUE(WriteFileBytes(paths.back(), {bytes.begin() + at, bytes.begin() + end}));
  }
  return paths;
}

TEST(SplitImage, ReadsAsTheWholeImageAcrossEverySegmentBoundary) {
  TempDir dir;
  // 7 sectors in segments of 3,000 bytes: no boundary falls on a sector's.
  const std::vector<uint8_t> bytes = BuildVolume(7, {{0, kJpeg}, {3, kPng}, {5, kGif}});
  const std::vector<std::string> paths = WriteSegments(dir.File("disc"), bytes, 3000);
  ASSERT_EQ(paths.size(), 5u);
  VolumeOpenError error;
  const std::optional<SectorLayout> layout = DescribePosixVolume(paths[0], &error);
  ASSERT_TRUE(layout) << error.reason;
  EXPECT_EQ(layout->container, Container::kSplitRaw);
  EXPECT_EQ(layout->segments, paths);
  const auto volume = OpenPosixVolume(paths[0], &error);
  ASSERT_TRUE(volume) << error.reason;
  EXPECT_EQ(volume->SectorCount(), 7u);
  for (uint64_t first = 0; first < 7; ++first) {
    for (uint64_t count : {1, 2, 7}) {
      if (first + count > 7) continue;
      std::vector<uint8_t> read(count * 2048);
      EXPECT_EQ(volume->ReadAt(first * 2048, read), static_cast<int64_t>(read.size()));
      EXPECT_EQ(read, SectorRange(bytes, first, count)) << first << "+" << count;
    }
  }
  std::vector<uint8_t> past(2048);
  EXPECT_EQ(volume->ReadAt(7 * 2048, past), -1);
}

TEST(SplitImage, SetsThatCannotBeReadWholeAreRefused) {
  struct Case {
    const char* name;
    std::function<void(const std::vector<std::string>&)> damage;
    int opened;               // the segment given as the source
    const char* reasonHolds;  // "" when the source reads as an image of its own
  };
  const std::vector<Case> cases = {
      {"middle missing", [](const auto& p) { fs::remove(p[1]); }, 0, ".002 is missing"},
      {"middle short", [](const auto& p) { fs::resize_file(p[2], 3000); }, 0, ".003 holds 3000"},
      {"last too long", [](const auto& p) { fs::resize_file(p[3], 9000); }, 0, "larger"},
      {"a later segment given", [](const auto&) {}, 1, "give its first"},
      {"a segment that is a folder",
       [](const auto& p) {
         fs::remove(p[3]);
         fs::create_directory(p[3]);
       },
       0, "not a regular file"},
      {"one segment alone",
       [](const auto& p) {
         for (std::size_t i = 1; i < p.size(); ++i) fs::remove(p[i]);
       },
       0, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::vector<uint8_t> bytes = BuildVolume(7, {{0, kJpeg}});
    const std::vector<std::string> paths = WriteSegments(dir.File("disc"), bytes, 4096);
    c.damage(paths);
    VolumeOpenError error;
    const auto volume = OpenPosixVolume(paths[c.opened], &error);
    if (*c.reasonHolds == '\0') {
      ASSERT_TRUE(volume) << c.name << ": " << error.reason;
      EXPECT_EQ(volume->SectorCount(), 2u) << c.name;
      continue;
    }
    EXPECT_FALSE(volume) << c.name;
    EXPECT_NE(error.reason.find(c.reasonHolds), std::string::npos)
        << c.name << ": " << error.reason;
    EXPECT_FALSE(DescribePosixVolume(paths[c.opened], &error)) << c.name;
  }
}

}  // namespace
}  // namespace orlenta
