// SPDX-License-Identifier: GPL-3.0-or-later
// Where files written by real tools end, and whether the finder is sure of it: a verified
// file must hold the original's bytes and nothing after them, so an end that is only the
// likeliest place must say so.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;
using testing::ReadSample;

struct Verdict {
  const char* file;
  FileKind kind;
  bool certain;
};
void PrintTo(const Verdict& v, std::ostream* os) {
  *os << v.file;
}

class EndVerdict : public ::testing::TestWithParam<Verdict> {};

TEST_P(EndVerdict, EndsWhereTheOriginalEndsAndSaysHowSure) {
  const std::vector<uint8_t> file = ReadSample(GetParam().file);
  for (const std::size_t piece : {std::size_t{1}, kSector}) {
    const FinderStep step = FindEnd(GetParam().kind, OnDisc(file), piece);
    ASSERT_EQ(step.kind, FinderStep::kEnd) << "pieces of " << piece;
    EXPECT_EQ(step.offset, file.size()) << "pieces of " << piece;
    EXPECT_EQ(step.certain, GetParam().certain) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(
    RealTools, EndVerdict,
    ::testing::Values(
        // The last three pages each flagged as the stream's end.
        Verdict{"several-eos.ogg", kOgg, true}, Verdict{"gst-opus.ogg", kOgg, true},
        // A preview after the main picture that only maker notes could point at.
        Verdict{"exif-trailing-preview.jpg", kJpeg, false},
        // The same, pointed at by the maker note as several makers' layouts do.
        Verdict{"makernote-minolta.jpg", kJpeg, true}, Verdict{"makernote-pentax.jpg", kJpeg, true},
        Verdict{"makernote-olympus.jpg", kJpeg, true}, Verdict{"makernote-sony.jpg", kJpeg, true},
        Verdict{"mpf-two-pictures.jpg", kJpegOther, true},
        Verdict{"jfif-baseline.jpg", kJpeg, true},
        // A pad byte that the RIFF size leaves out may be the file's or the disc's.
        Verdict{"odd-chunk-pad.wav", kWave, false}, Verdict{"sox-odd8.wav", kWave, true},
        // Program streams without an end code, one with zeros after some packs.
        Verdict{"ffmpeg-vcd.mpg", kMpeg, false}, Verdict{"ffmpeg-dvd.vob", kMpeg2, false},
        Verdict{"two-id3v2-tags.mp3", kMp3Other, true}, Verdict{"gst-vp8.webm", kWebm, true},
        Verdict{"gst-vorbis.mka", kMatroska, true},
        // Transport streams have no end to tell.
        Verdict{"ffmpeg.ts", kMpegTs, false}, Verdict{"ffmpeg.m2ts", kM2ts, false},
        // A table whose counter comes back to 0 on a sector's start, inside the clip.
        Verdict{"ffmpeg-pat-wrap.m2ts", kM2ts, false}, Verdict{"ffmpeg.ac3", kAc3, true},
        // Frames with CRCs: layer III, and layer II in MPEG-1 joint stereo and MPEG-2.
        Verdict{"lame-crc-untagged.mp3", kMp3Other, true},
        Verdict{"twolame-joint-crc.mp3", kMp3, true}, Verdict{"twolame-lsf-crc.mp3", kMp3, true}),
    [](const ::testing::TestParamInfo<Verdict>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(EndVerdict, AProgramStreamEndsAtItsEndCodeForSure) {
  std::vector<uint8_t> file = ReadSample("ffmpeg-vcd.mpg");
  file.insert(file.end(), {0, 0, 1, 0xB9});
  const FinderStep step = FindEnd(kMpeg, OnDisc(file), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, file.size());
  EXPECT_TRUE(step.certain);
}

TEST(EndVerdict, AProgramStreamStopsBeforeAnotherAfterItsPadding) {
  // A stream that ends in zeros, then another stream on the next sector.
  std::vector<uint8_t> first = ReadSample("ffmpeg-vcd.mpg");
  const std::vector<uint8_t> second = ReadSample("ffmpeg-vcd.mpg");
  const std::size_t length = first.size();
  std::vector<uint8_t> disc = OnDisc(first);
  disc.insert(disc.end() - kSector, second.begin(), second.end());
  const FinderStep step = FindEnd(kMpeg, disc, kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, length);
  EXPECT_FALSE(step.certain);
}

TEST(EndVerdict, ACamcorderClipEndsWhereTheNextBegins) {
  // Clips fill whole sectors; the next starts with its first table on a sector's start.
  const std::vector<uint8_t> clip = ReadSample("ffmpeg.m2ts");
  ASSERT_EQ(clip.size() % kSector, 0u);
  std::vector<uint8_t> disc = clip;
  disc.insert(disc.end(), clip.begin(), clip.end());
  const FinderStep step = FindEnd(kM2ts, OnDisc(disc), kSector);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, clip.size());
  EXPECT_FALSE(step.certain);
}

// A byte changed inside a payload leaves every length as it was: only the format's own
// checksums can tell, and a file that fails them is not followed to an end.
TEST(EndVerdict, APayloadThatFailsItsChecksumIsNoEnd) {
  const testing::SampleFile samples[] = {{"im-rgb.png", kPng},
                                         {"oggenc.ogg", kOgg},
                                         {"several-eos.ogg", kOgg},
                                         {"ffmpeg.ac3", kAc3},
                                         {"ffmpeg.eac3", kAc3}};
  for (const auto& sample : samples) {
    std::vector<uint8_t> file = ReadSample(sample.file);
    file[file.size() / 2 + 101] ^= 0x10;  // inside a payload, past any header
    EXPECT_EQ(FindEnd(sample.kind, OnDisc(file), kSector).kind, FinderStep::kBroken) << sample.file;
  }
}

// A frame whose CRC fails still has the length its header gives, so the file ends where it
// did; but its bytes are not what was written, so the end is not verified.
TEST(EndVerdict, AnMp3FrameThatFailsItsCrcLeavesTheEndUnverified) {
  const testing::SampleFile samples[] = {{"lame-crc-untagged.mp3", kMp3Other},
                                         {"twolame-joint-crc.mp3", kMp3},
                                         {"twolame-lsf-crc.mp3", kMp3}};
  for (const auto& sample : samples) {
    const std::vector<uint8_t> original = ReadSample(sample.file);
    // The first frame header past the middle: a sync with the CRC flagged.
    std::size_t frame = original.size() / 2;
    while (frame + 8 < original.size() &&
           !(original[frame] == 0xFF && (original[frame + 1] & 0xF1) == 0xF0)) {
      ++frame;
    }
    ASSERT_LT(frame + 8, original.size()) << sample.file;
    for (const std::size_t at : {frame + 4, frame + 7}) {  // the CRC, then a covered byte
      std::vector<uint8_t> file = original;
      file[at] ^= 0x01;
      const FinderStep step = FindEnd(sample.kind, OnDisc(file), kSector);
      EXPECT_EQ(step.kind, FinderStep::kEnd) << sample.file << " at " << at;
      EXPECT_EQ(step.offset, file.size()) << sample.file << " at " << at;
      EXPECT_FALSE(step.certain) << sample.file << " at " << at;
    }
  }
}

// Where a maker note's pointer is wrong or its directories are hostile, the preview after
// the end marker is no longer vouched for: the file keeps the picture straight after the
// first, but unverified, and the walk always stops.
TEST(EndVerdict, AMakerNotePreviewIsVerifiedOnlyWhereItsPointerHolds) {
  using Bytes = std::vector<uint8_t>;
  // The place of `pattern` in the file's Exif segment, past it, or the file's size.
  auto after = [](const Bytes& file, const Bytes& pattern) {
    return static_cast<std::size_t>(
        std::search(file.begin(), file.begin() + 1024, pattern.begin(), pattern.end()) -
        file.begin() + pattern.size());
  };
  auto mainEnd = [](const Bytes& file) {
    const Bytes eoi{0xFF, 0xD9};
    return static_cast<std::size_t>(std::search(file.begin(), file.end(), eoi.begin(), eoi.end()) -
                                    file.begin() + 2);
  };
  const Bytes minoltaLength{0x00, 0x89, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01};
  const Bytes minoltaStart{0x00, 0x88, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01};
  const Bytes olympusSettings{0x20, 0x20, 0x0D, 0x00, 0x01, 0x00, 0x00, 0x00};
  const Bytes olympusHeader{'O', 'L', 'Y', 'M', 'P', 'U', 'S', 0, 'I', 'I', 3, 0};
  struct Case {
    const char* what;
    const char* file;
    std::function<void(Bytes&)> damage;
    bool endsAfterMain;  // the file ends at the first picture's end, not at its own end
  };
  const Case cases[] = {
      {"the preview's first byte", "makernote-minolta.jpg", [&](Bytes& f) { f[mainEnd(f)] = 0x00; },
       true},
      {"a length one byte long", "makernote-minolta.jpg",
       [&](Bytes& f) { ++f[after(f, minoltaLength) + 3]; }, false},
      {"a start past any file", "makernote-minolta.jpg",
       [&](Bytes& f) { std::fill_n(f.begin() + after(f, minoltaStart), 4, 0xFF); }, false},
      {"a settings directory pointing back at its own", "makernote-olympus.jpg",
       [&](Bytes& f) { f[after(f, olympusSettings)] = 12; }, false},
      {"zeros where the preview was", "makernote-minolta.jpg",
       [&](Bytes& f) { std::fill(f.begin() + mainEnd(f), f.end(), 0); }, true},
      {"the preview straight after the picture, not 32 bytes on", "makernote-sony.jpg",
       [&](Bytes& f) { f.erase(f.begin() + mainEnd(f), f.begin() + mainEnd(f) + 32); }, false},
      {"a directory of 65535 entries", "makernote-olympus.jpg",
       [&](Bytes& f) { std::fill_n(f.begin() + after(f, olympusHeader), 2, 0xFF); }, false},
      {"an Exif directory pointing at itself", "makernote-pentax.jpg",
       [&](Bytes& f) {
         const Bytes exif{0x87, 0x69, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
         f[after(f, exif)] = 8;
       },
       false},
  };
  for (const Case& c : cases) {
    Bytes file = ReadSample(c.file);
    c.damage(file);
    const std::size_t end = c.endsAfterMain ? mainEnd(file) : file.size();
    for (const std::size_t piece : {std::size_t{1}, kSector}) {
      const FinderStep step = FindEnd(kJpeg, OnDisc(file), piece);
      ASSERT_EQ(step.kind, FinderStep::kEnd) << c.what << ", pieces of " << piece;
      EXPECT_EQ(step.offset, end) << c.what << ", pieces of " << piece;
      EXPECT_FALSE(step.certain) << c.what << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace orlenta
