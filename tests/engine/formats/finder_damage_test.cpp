// SPDX-License-Identifier: GPL-3.0-or-later
// End finders read untrusted bytes: damaged copies of every sample must be followed safely
// (the sanitizer build runs this too) and never end past the bytes there are.
#include <gtest/gtest.h>

#include <random>

#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;
using testing::RandomBytes;
using testing::ReadSample;

using Damaged = testing::SampleFile;

const Damaged kSamples[] = {
    {"exif-thumbnail.jpg", kJpeg},
    {"im-interlaced.png", kPng},
    {"im-anim89a.gif", kGif},
    {"ffmpeg-mpeg4.avi", kAvi},
    {"ffmpeg-list.wav", kWave},
    {"ffmpeg-h264.mp4", kMp4},
    {"im-v5.bmp", kBmpOther},
    {"lame-both-tags.mp3", kMp3},
    {"ape-tail.mp3", kMp3},
    {"ffmpeg-dvd.vob", kMpeg2},
    {"ffmpeg.wmv", kWmv},
    {"flac-best.flac", kFlac},
    {"oggenc.ogg", kOgg},
    {"ffmpeg-vp8.webm", kWebm},
    {"camera.nef", kNef},
    {"camera.dng", kDng},
    {"ffmpeg-fragmented.mp4", kMp4},
    {"ffmpeg-mpeg1.mpg", kMpeg1Other},
    {"sox.aifc", kAiff},
    {"im.heic", kHeic},
    {"ffmpeg.m2ts", kM2ts},
    {"ffmpeg.aac", kAac},
    {"ffmpeg.eac3", kAc3},
    {"im-rle.psd", kPsd},
    {"camera.raf", kRaf},
    {"im-msb-lzw.tif", kTiff},
};

TEST(FinderDamage, FlippedBytesAreFollowedSafely) {
  std::mt19937 generator(99);
  for (const Damaged& sample : kSamples) {
    const std::vector<uint8_t> original = OnDisc(ReadSample(sample.file));
    for (int round = 0; round < 40; ++round) {
      std::vector<uint8_t> damaged = original;
      for (int flip = 0; flip < 1 + round % 8; ++flip) {
        // Most damage near the start, where the structure is densest.
        const std::size_t span =
            round % 2 == 0 ? std::min<std::size_t>(512, damaged.size()) : damaged.size();
        damaged[generator() % span] ^= static_cast<uint8_t>(1u << (generator() % 8));
      }
      const FinderStep step = FindEnd(sample.kind, damaged, round % 3 == 0 ? 1 : kSector);
      if (step.kind == FinderStep::kEnd) {
        EXPECT_LE(step.offset, damaged.size()) << sample.file;
      }
    }
  }
}

TEST(FinderDamage, NoiseAfterAHeaderIsFollowedSafely) {
  for (int kind = 1; kind <= kAllKindCount; ++kind) {
    for (uint32_t seed = 0; seed < 8; ++seed) {
      std::vector<uint8_t> noise = RandomBytes(8 * kSector, seed * 31 + kind);
      const FinderStep step = FindEnd(static_cast<FileKind>(kind), noise, kSector);
      if (step.kind == FinderStep::kEnd) {
        EXPECT_LE(step.offset, noise.size()) << kind;
      }
    }
  }
}

TEST(FinderDamage, ATiffDirectoryPointingAtItselfIsReadOnce) {
  // One directory of one entry at byte 8 whose "next directory" is itself again.
  std::vector<uint8_t> tiff = {'I', 'I', '*', 0, 8, 0, 0, 0,  // header: first directory at 8
                               1,   0,                        // one entry
                               0,   1,   3,   0, 1, 0, 0, 0, 0x40, 0, 0, 0,  // width, a short
                               8,   0,   0,   0};  // next directory: this one
  const FinderStep step = FindEnd(kNef, OnDisc(tiff), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, tiff.size());
}

TEST(FinderDamage, ATiffListOfDirectoriesInBytesIsNotReadAsLongs) {
  // Sub-directories listed as eight single bytes at 26, the last bytes there are: read as
  // four-byte offsets, the list would run 24 bytes past them.
  const std::vector<uint8_t> tiff = {'I', 'I', '*',  0, 8, 0, 0, 0,  // header
                                     1,   0,   0x4A, 1, 1, 0, 8, 0,
                                     0,   0,   26,   0, 0, 0,  // sub-directories: 8 bytes at 26
                                     0,   0,   0,    0,        // no next directory
                                     1,   2,   3,    4, 5, 6, 7, 8};
  EXPECT_EQ(FindEnd(kNef, tiff, 1).kind, FinderStep::kBroken);
}

// Camera files leave a pointer to an Exif or GPS directory at 0 when there is none.
TEST(FinderDamage, EmptyDirectoryPointerIsNoDamage) {
  std::vector<uint8_t> file = ReadSample("camera.arw");
  // IFD0 at 8: its first entry becomes a GPS pointer of 0 (tag 0x8825, LONG, 1, 0).
  const uint8_t gps[12] = {0x25, 0x88, 4, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  std::copy(std::begin(gps), std::end(gps), file.begin() + 10);
  const FinderStep step = FindEnd(kArw, OnDisc(file), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, file.size());
}

}  // namespace
}  // namespace orlenta
