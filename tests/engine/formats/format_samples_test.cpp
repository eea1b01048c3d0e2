// SPDX-License-Identifier: GPL-3.0-or-later
// Every sample written by a real encoder: its first sector is detected as its kind, and its
// end finder finds its exact length however the bytes arrive and whatever follows it.
#include <gtest/gtest.h>

#include <ostream>

#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;
using testing::RandomBytes;
using testing::ReadSample;

using Sample = testing::SampleFile;

class FormatSample : public ::testing::TestWithParam<Sample> {
 protected:
  std::vector<uint8_t> file_ = ReadSample(GetParam().file);
};

FileKind Detect(const std::vector<uint8_t>& disc) {
  std::vector<uint8_t> sector(disc.begin(), disc.begin() + kSector);
  sector.resize(kDetectionDepth, 0xEE);  // bytes past the sector are stale, never zeros
  return DetectMoreKinds(sector.data(), kSector);
}

TEST_P(FormatSample, FirstSectorIsDetectedAsItsKind) {
  EXPECT_EQ(Detect(OnDisc(file_)), GetParam().kind);
}

TEST_P(FormatSample, EndIsExactInPiecesOfAnySize) {
  const std::vector<uint8_t> disc = OnDisc(file_);
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, kSector, disc.size()}) {
    const FinderStep step = FindEnd(GetParam().kind, disc, piece);
    EXPECT_EQ(step.kind, FinderStep::kEnd) << "pieces of " << piece;
    EXPECT_EQ(step.offset, file_.size()) << "pieces of " << piece;
  }
}

TEST_P(FormatSample, EndIsExactWhenAnotherFileOrNoiseFollows) {
  const std::vector<uint8_t> noise = RandomBytes(kSector, 7);
  for (const auto& after : {ReadSample("jfif-baseline.jpg"), ReadSample("ffmpeg-mpeg1.mpg"),
                            ReadSample("lame-untagged.mp3"), noise}) {
    const FinderStep step = FindEnd(GetParam().kind, OnDisc(file_, after), kSector);
    EXPECT_EQ(step.kind, FinderStep::kEnd);
    EXPECT_EQ(step.offset, file_.size());
  }
}

// What a disc holds after a file's last byte when the rest of its last sector is not
// zeros: a file system's slack is whatever was there before.
std::vector<std::vector<uint8_t>> WhatMayFollowWithoutSlack() {
  const std::string words = "disc holiday notes photo track the and 2024 ";
  std::vector<uint8_t> text;
  while (text.size() < 2 * kSector) text.insert(text.end(), words.begin(), words.end());
  return {std::vector<uint8_t>(2 * kSector, 0), text, RandomBytes(2 * kSector, 13)};
}

TEST_P(FormatSample, EndIsExactWhateverFollowsItsLastByte) {
  const char* names[] = {"zeros", "text", "random bytes"};
  const std::vector<std::vector<uint8_t>> followers = WhatMayFollowWithoutSlack();
  for (std::size_t f = 0; f < followers.size(); ++f) {
    std::vector<uint8_t> disc = file_;
    disc.insert(disc.end(), followers[f].begin(), followers[f].end());
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, kSector}) {
      const FinderStep step = FindEnd(GetParam().kind, disc, piece);
      EXPECT_EQ(step.kind, FinderStep::kEnd) << names[f] << ", pieces of " << piece;
      EXPECT_EQ(step.offset, file_.size()) << names[f] << ", pieces of " << piece;
    }
  }
}

TEST_P(FormatSample, EndsAtTheVolumeEndOrIsBrokenWhenNothingFollows) {
  // A file that fills its last sector, at the very end of the volume.
  const FinderStep step = FindEnd(GetParam().kind, file_, kSector);
  if (step.kind == FinderStep::kEnd) {
    EXPECT_EQ(step.offset, file_.size());
  }
}

TEST_P(FormatSample, TruncatedFileNeverEndsPastTheOriginal) {
  // Cut short, then followed by noise or by zeros (an unwritten end of the disc). Where the
  // structure reaches the end it breaks or ends early; a file whose length is only stated
  // (a RIFF or BMP size) cannot tell, but never grows.
  const std::size_t cut = file_.size() * 2 / 3;
  for (const bool noisy : {false, true}) {
    std::vector<uint8_t> damaged(file_.begin(), file_.begin() + cut);
    const std::vector<uint8_t> tail =
        noisy ? RandomBytes(3 * kSector, 11) : std::vector<uint8_t>(3 * kSector, 0);
    damaged.insert(damaged.end(), tail.begin(), tail.end());
    const FinderStep step = FindEnd(GetParam().kind, damaged, kSector);
    if (step.kind == FinderStep::kEnd) {
      EXPECT_LE(step.offset, file_.size()) << (noisy ? "noise" : "zeros");
    }
  }
}

TEST_P(FormatSample, ZeroedSectorInsideNeverMovesTheEndOutward) {
  if (file_.size() < 3 * kSector) GTEST_SKIP() << "too small to hold a damaged sector";
  std::vector<uint8_t> disc = OnDisc(file_);
  std::fill(disc.begin() + kSector, disc.begin() + 2 * kSector, 0);  // an unreadable sector
  const FinderStep step = FindEnd(GetParam().kind, disc, kSector);
  if (step.kind == FinderStep::kEnd) {
    EXPECT_LE(step.offset, file_.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, FormatSample,
    ::testing::Values(
        Sample{"jfif-baseline.jpg", kJpeg}, Sample{"jfif-progressive.jpg", kJpeg},
        Sample{"jfif-restart.jpg", kJpeg}, Sample{"exif-thumbnail.jpg", kJpeg},
        Sample{"ffmpeg-mjpeg.jpg", kJpegOther}, Sample{"bare-dqt.jpg", kJpegOther},
        Sample{"comment-first.jpg", kJpegOther}, Sample{"mpf-two-pictures.jpg", kJpegOther},
        Sample{"im-rgb.png", kPng}, Sample{"im-palette.png", kPng}, Sample{"im-rgba16.png", kPng},
        Sample{"im-interlaced.png", kPng}, Sample{"ffmpeg.png", kPng},
        Sample{"im-still89a.gif", kGif}, Sample{"im-anim89a.gif", kGif},
        Sample{"ffmpeg-anim.gif", kGif}, Sample{"im-87a.gif", kGif87a}, Sample{"ffmpeg.bmp", kBmp},
        Sample{"im-v3-24bit.bmp", kBmp}, Sample{"im-v3-palette.bmp", kBmpOther},
        Sample{"im-v5.bmp", kBmpOther}, Sample{"im-os2.bmp", kBmpOther},
        Sample{"sox-mono16.wav", kWave}, Sample{"sox-odd8.wav", kWave},
        Sample{"ffmpeg-list.wav", kWave}, Sample{"ffmpeg-mpeg4.avi", kAvi},
        Sample{"ffmpeg-mjpeg.avi", kAvi}, Sample{"ffmpeg-qt.mov", kQuickTimeFtyp},
        Sample{"ffmpeg-h264.mp4", kMp4}, Sample{"ffmpeg-faststart.mp4", kMp4},
        Sample{"ffmpeg-fragmented.mp4", kMp4}, Sample{"ffmpeg.m4a", kM4a},
        Sample{"ffmpeg-h263.3gp", k3gp}, Sample{"lame-id3v23.mp3", kMp3},
        Sample{"lame-vbr-id3v1.mp3", kMp3}, Sample{"lame-untagged.mp3", kMp3},
        Sample{"lame-both-tags.mp3", kMp3}, Sample{"ffmpeg-id3v24.mp3", kMp3Other},
        Sample{"ffmpeg-id3v23-v1.mp3", kMp3}, Sample{"id3v22.mp3", kMp3Other},
        Sample{"ape-tail.mp3", kMp3}, Sample{"lame-crc-untagged.mp3", kMp3Other},
        Sample{"lame-48k-info.mp3", kMp3}, Sample{"ffmpeg-mpeg1.mpg", kMpeg1Other},
        Sample{"ffmpeg-mpeg2.vob", kMpeg2}, Sample{"ffmpeg-dvd.vob", kMpeg2},
        Sample{"ffmpeg.wma", kWma}, Sample{"ffmpeg.wmv", kWmv}, Sample{"flac-best.flac", kFlac},
        Sample{"flac-fast.flac", kFlac}, Sample{"ffmpeg.flac", kFlac}, Sample{"oggenc.ogg", kOgg},
        Sample{"ffmpeg-vorbis.ogg", kOgg}, Sample{"ffmpeg-opus.ogg", kOgg},
        Sample{"ffmpeg.mkv", kMatroska}, Sample{"ffmpeg-vp8.webm", kWebm},
        Sample{"camera.cr2", kCr2}, Sample{"camera.nef", kNef}, Sample{"camera.arw", kArw},
        Sample{"camera.dng", kDng}, Sample{"several-eos.ogg", kOgg}, Sample{"gst-opus.ogg", kOgg},
        Sample{"exif-trailing-preview.jpg", kJpeg}, Sample{"odd-chunk-pad.wav", kWave},
        Sample{"ffmpeg-vcd.mpg", kMpeg}, Sample{"two-id3v2-tags.mp3", kMp3Other},
        Sample{"gst-vp8.webm", kWebm}, Sample{"gst-vorbis.mka", kMatroska},
        Sample{"sox.aiff", kAiff}, Sample{"sox.aifc", kAiff}, Sample{"sox-odd8.aiff", kAiff},
        Sample{"ffmpeg.aiff", kAiff}, Sample{"im-lossy.webp", kWebp},
        Sample{"im-lossless.webp", kWebp}, Sample{"im.tif", kTiff}, Sample{"im-msb-lzw.tif", kTiff},
        Sample{"ffmpeg.tif", kTiff}, Sample{"ffmpeg.ts", kMpegTs}, Sample{"ffmpeg.m2ts", kM2ts},
        Sample{"im.heic", kHeic}, Sample{"im.avif", kAvif}, Sample{"ffmpeg.aac", kAac},
        Sample{"ffmpeg.ac3", kAc3}, Sample{"ffmpeg.eac3", kAc3}, Sample{"im-rle.psd", kPsd},
        Sample{"im-raw.psd", kPsd}, Sample{"camera.cr3", kCr3}, Sample{"camera.raf", kRaf},
        Sample{"camera.orf", kOrf}, Sample{"camera.rw2", kRw2},
        Sample{"twolame-joint-crc.mp3", kMp3}, Sample{"twolame-lsf-crc.mp3", kMp3},
        Sample{"ffmpeg-pat-wrap.m2ts", kM2ts}, Sample{"makernote-minolta.jpg", kJpeg},
        Sample{"makernote-pentax.jpg", kJpeg}, Sample{"makernote-olympus.jpg", kJpeg},
        Sample{"makernote-sony.jpg", kJpeg}),
    [](const ::testing::TestParamInfo<Sample>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace orlenta
