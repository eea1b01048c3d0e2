// SPDX-License-Identifier: GPL-3.0-or-later
// An unreadable sector comes back as zeros. Wherever it falls in a file, the end finder
// either keeps the file's real end (the zeros fell in a payload it skips or accepts),
// reports the structure broken, or ends the file inside the zeros, where its walk stopped
// (a carver knows that sector failed and does not count such an end as verified). It never
// invents an end anywhere else.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;
using testing::ReadSample;

using Sample = testing::SampleFile;

class ZeroedSector : public ::testing::TestWithParam<Sample> {};

TEST_P(ZeroedSector, KeepsTheEndBreaksOrEndsInsideTheZeros) {
  const std::vector<uint8_t> file = ReadSample(GetParam().file);
  const std::vector<uint8_t> disc = OnDisc(file);
  int broken = 0;
  for (std::size_t zeroAt = kSector; zeroAt < file.size(); zeroAt += kSector) {
    std::vector<uint8_t> damaged = disc;
    std::fill_n(damaged.begin() + static_cast<std::ptrdiff_t>(zeroAt), kSector, 0);
    const FinderStep step = FindEnd(GetParam().kind, damaged, kSector);
    if (step.kind == FinderStep::kBroken) {
      ++broken;
      continue;
    }
    ASSERT_EQ(step.kind, FinderStep::kEnd);
    const bool kept = step.offset == file.size();
    const bool insideZeros = step.offset >= zeroAt && step.offset <= zeroAt + kSector;
    EXPECT_TRUE(kept || insideZeros) << "zeros at " << zeroAt << ", end at " << step.offset;
  }
  RecordProperty("broken", broken);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, ZeroedSector,
    ::testing::Values(Sample{"exif-thumbnail.jpg", kJpeg}, Sample{"jfif-restart.jpg", kJpeg},
                      Sample{"im-interlaced.png", kPng}, Sample{"im-rgba16.png", kPng},
                      Sample{"im-anim89a.gif", kGif}, Sample{"ffmpeg-anim.gif", kGif},
                      Sample{"ffmpeg-mpeg4.avi", kAvi}, Sample{"ffmpeg-mjpeg.avi", kAvi},
                      Sample{"ffmpeg-list.wav", kWave}, Sample{"sox-mono16.wav", kWave},
                      Sample{"ffmpeg-qt.mov", kQuickTimeFtyp}, Sample{"ffmpeg-h264.mp4", kMp4},
                      Sample{"ffmpeg-faststart.mp4", kMp4}, Sample{"ffmpeg-fragmented.mp4", kMp4},
                      Sample{"ffmpeg-h263.3gp", k3gp}, Sample{"im-v5.bmp", kBmpOther},
                      Sample{"ffmpeg.bmp", kBmp}, Sample{"lame-both-tags.mp3", kMp3},
                      Sample{"lame-vbr-id3v1.mp3", kMp3}, Sample{"ffmpeg-id3v24.mp3", kMp3Other},
                      Sample{"ffmpeg-mpeg1.mpg", kMpeg1Other}, Sample{"ffmpeg-dvd.vob", kMpeg2},
                      Sample{"ffmpeg.wmv", kWmv}, Sample{"ffmpeg.wma", kWma},
                      Sample{"flac-best.flac", kFlac}, Sample{"ffmpeg.flac", kFlac},
                      Sample{"oggenc.ogg", kOgg}, Sample{"ffmpeg-opus.ogg", kOgg},
                      Sample{"ffmpeg.mkv", kMatroska}, Sample{"ffmpeg-vp8.webm", kWebm},
                      Sample{"camera.cr2", kCr2}, Sample{"camera.nef", kNef},
                      Sample{"camera.arw", kArw}, Sample{"camera.dng", kDng}));

}  // namespace
}  // namespace orlenta
