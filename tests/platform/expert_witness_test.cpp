// SPDX-License-Identifier: GPL-3.0-or-later
// Expert Witness evidence sets, written here with libewf as an acquisition tool writes them,
// read back through OpenPosixVolume as a run reads them.
#include <gtest/gtest.h>
#include <libewf.h>

#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "platform/posix_volume.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

struct Acquisition {
  std::vector<uint8_t> medium;
  uint32_t sectorSize = 2048;
  std::vector<std::pair<uint64_t, uint64_t>> errors;  // first sector, count
  std::vector<uint8_t> md5;                           // stored when not empty
};

// Writes `what` as the evidence set `base`.E01; true when libewf wrote it whole.
bool WriteEvidence(const std::string& base, const Acquisition& what) {
  libewf_handle_t* handle = nullptr;
  if (libewf_handle_initialize(&handle, nullptr) != 1) return false;
  std::string name = base;
  char* names[] = {name.data()};
  bool ok = libewf_handle_open(handle, names, 1, LIBEWF_OPEN_WRITE, nullptr) == 1 &&
            libewf_handle_set_format(handle, LIBEWF_FORMAT_ENCASE6, nullptr) == 1 &&
            libewf_handle_set_bytes_per_sector(handle, what.sectorSize, nullptr) == 1 &&
            libewf_handle_set_media_size(handle, what.medium.size(), nullptr) == 1;
  ok = ok && libewf_handle_write_buffer(handle, what.medium.data(), what.medium.size(), nullptr) ==
                 static_cast<ssize_t>(what.medium.size());
  for (const auto& [first, count] : what.errors) {
    ok = ok && libewf_handle_append_acquiry_error(handle, first, count, nullptr) == 1;
  }
  if (!what.md5.empty()) {
    std::vector<uint8_t> md5 = what.md5;
    ok = ok && libewf_handle_set_md5_hash(handle, md5.data(), md5.size(), nullptr) == 1;
  }
  ok = ok && libewf_handle_write_finalize(handle, nullptr) >= 0;
  ok = libewf_handle_close(handle, nullptr) == 0 && ok;
  libewf_handle_free(&handle, nullptr);
  return ok;
}

TEST(ExpertWitness, TheMediumWithItsSectorSizeErrorsAndStoredHash) {
  TempDir dir;
  Acquisition what;
  what.medium = BuildVolume(64, {{0, kJpeg}, {20, kGif}});
  what.errors = {{10, 3}};
  what.md5 = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
              0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  ASSERT_TRUE(WriteEvidence(dir.File("case"), what));
  // Named as the user may have renamed it: known by its content.
  const std::string first = dir.File("case.E01");

  const auto layout = DescribePosixVolume(first);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->container, Container::kExpertWitness);
  EXPECT_EQ(layout->sectorSize, 2048u);
  EXPECT_EQ(layout->sectorCount, 64u);
  ASSERT_EQ(layout->storedHashes.size(), 1u);
  EXPECT_EQ(layout->storedHashes[0].algorithm, "md5");
  EXPECT_EQ(layout->storedHashes[0].hex, "00112233445566778899aabbccddeeff");

  const auto volume = OpenPosixVolume(first);
  ASSERT_TRUE(volume);
  ASSERT_EQ(volume->SectorCount(), 64u);
  // Up to the recorded errors the medium reads as acquired; a read stops before them.
  std::vector<uint8_t> all(64 * 2048);
  EXPECT_EQ(volume->ReadAt(0, all), 10 * 2048);
  EXPECT_TRUE(std::equal(all.begin(), all.begin() + 10 * 2048, what.medium.begin()));
  std::vector<uint8_t> sector(2048);
  for (const uint64_t s : {10, 11, 12}) EXPECT_EQ(volume->ReadAt(s * 2048, sector), -1) << s;
  std::vector<uint8_t> rest(51 * 2048);
  ASSERT_EQ(volume->ReadAt(13 * 2048, rest), static_cast<int64_t>(rest.size()));
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), what.medium.begin() + 13 * 2048));
  EXPECT_EQ(volume->ReadAt(64 * 2048, sector), -1);
}

TEST(ExpertWitness, ASetThatCannotBeReadSaysWhy) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("broken.E01"),
                             {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00, 0x01, 0x01, 0x00}));
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(dir.File("broken.E01"), &error), nullptr);
  EXPECT_NE(error.reason.find("evidence"), std::string::npos) << error.reason;
  ASSERT_TRUE(WriteFileBytes(dir.File("second.E02"),
                             {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00, 0x01, 0x02, 0x00}));
  EXPECT_EQ(OpenPosixVolume(dir.File("second.E02"), &error), nullptr);
  EXPECT_NE(error.reason.find("is segment 2 of an evidence set"), std::string::npos)
      << error.reason;
}

}  // namespace
}  // namespace orlenta
