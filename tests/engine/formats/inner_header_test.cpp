// SPDX-License-Identifier: GPL-3.0-or-later
// A sector inside a file that begins like a header: the described carver would cut the
// file there; its end finder reads past it to the file's real end.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "engine/formats/checksums.h"
#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;
using testing::ReadSample;

struct Inner {
  const char* file;
  FileKind kind;
  std::size_t sector;  // a sector of the file that lies inside its payload
  const char* header;  // what is written at its start
  std::size_t headerBytes;
};

void PrintTo(const Inner& c, std::ostream* os) {
  *os << c.file << " sector " << c.sector;
}

class InnerHeader : public ::testing::TestWithParam<Inner> {};

// A PNG whose chunks really hold the changed bytes: each chunk's CRC made anew.
void StampPngCrcs(std::vector<uint8_t>& png) {
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::size_t length =
        uint32_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    const uint32_t crc = Crc32(0, png.data() + at + 4, length + 4);
    for (int i = 0; i < 4; ++i)
      png[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

TEST_P(InnerHeader, DoesNotEndTheFile) {
  const Inner& c = GetParam();
  std::vector<uint8_t> file = ReadSample(c.file);
  const std::size_t at = c.sector * kSector;
  ASSERT_LT(at + kDetectionDepth, file.size());
  std::memcpy(file.data() + at, c.header, c.headerBytes);
  if (c.kind == kPng) StampPngCrcs(file);
  ASSERT_NE(DetectMoreKinds(file.data() + at, kSector), kNoHeader) << "not header-like";
  for (const std::size_t piece : {std::size_t{1}, kSector}) {
    const FinderStep step = FindEnd(c.kind, OnDisc(file), piece);
    EXPECT_EQ(step.kind, FinderStep::kEnd);
    EXPECT_EQ(step.offset, file.size());
  }
}

constexpr char kJfif[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF";
constexpr char kId3[] = "ID3\x03\x00\x00\x00\x00\x01\x00";

INSTANTIATE_TEST_SUITE_P(Payloads, InnerHeader,
                         ::testing::Values(Inner{"ffmpeg-list.wav", kWave, 2, kJfif, 10},
                                           Inner{"ffmpeg-mpeg4.avi", kAvi, 3, kId3, 10},
                                           Inner{"ffmpeg-h264.mp4", kMp4, 2, kJfif, 10},
                                           Inner{"im-v5.bmp", kBmpOther, 1, "GIF89a", 6},
                                           Inner{"im-rgb.png", kPng, 4, kId3, 10},
                                           Inner{"flac-best.flac", kFlac, 3, kJfif, 10},
                                           Inner{"ffmpeg.wmv", kWmv, 2, kJfif, 10},
                                           Inner{"ffmpeg.mkv", kMatroska, 2, kId3, 10},
                                           Inner{"camera.nef", kNef, 3, kId3, 10}));

// A camera JPEG whose Exif thumbnail starts exactly on a sector boundary: the thumbnail is
// a whole JPEG inside the APP1 segment, and the walk steps over it.
TEST(InnerHeader, ThumbnailOnASectorBoundary) {
  const std::vector<uint8_t> outer = ReadSample("jfif-baseline.jpg");
  const std::vector<uint8_t> thumbnail = ReadSample("bare-dqt.jpg");
  std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xE1};
  const std::size_t app1Length = 2 + (kSector - 6) + thumbnail.size();
  file.push_back(static_cast<uint8_t>(app1Length >> 8));
  file.push_back(static_cast<uint8_t>(app1Length));
  std::vector<uint8_t> exifHeader(kSector - 6, 0);
  std::memcpy(exifHeader.data(), "Exif\0\0", 6);
  file.insert(file.end(), exifHeader.begin(), exifHeader.end());
  file.insert(file.end(), thumbnail.begin(), thumbnail.end());
  file.insert(file.end(), outer.begin() + 2, outer.end());  // the rest, after its SOI
  ASSERT_EQ(DetectMoreKinds(file.data() + kSector, kSector), kJpegOther);
  const FinderStep step = FindEnd(kJpeg, OnDisc(file), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, file.size());
}

// MP3 frames fall on sector boundaries all the time; the chain runs through them.
TEST(InnerHeader, MpegAudioFramesOnSectorBoundaries) {
  const std::vector<uint8_t> file = ReadSample("lame-untagged.mp3");
  int headerLike = 0;
  for (std::size_t at = kSector; at + kDetectionDepth < file.size(); at += kSector) {
    std::vector<uint8_t> sector(file.begin() + at, file.begin() + at + kDetectionDepth);
    if (DetectMoreKinds(sector.data(), kSector) != kNoHeader) ++headerLike;
  }
  // Not asserted: whether a frame starts a sector depends on the encoder's frame sizes.
  const FinderStep step = FindEnd(kMp3, OnDisc(file), kSector);
  EXPECT_EQ(step.offset, file.size()) << headerLike << " header-like sectors inside";
}

// Two untagged MP3s of the same encoding, one right after the other on the disc: the
// second's information frame on its sector boundary ends the first.
TEST(NextFile, UntaggedMp3WithTheSameEncodingFollows) {
  const std::vector<uint8_t> file = ReadSample("lame-48k-info.mp3");
  constexpr std::size_t kNineSectors = 64 * 288;  // 64 frames of 288 bytes
  ASSERT_GT(file.size(), kNineSectors);
  std::vector<uint8_t> disc(file.begin(), file.begin() + kNineSectors);
  disc.insert(disc.end(), file.begin(), file.end());
  const FinderStep step = FindEnd(kMp3, OnDisc(disc), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, kNineSectors);
}

}  // namespace
}  // namespace orlenta
