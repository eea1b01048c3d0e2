// SPDX-License-Identifier: GPL-3.0-or-later
// A track's WAV file mended from a later read: the track is read again up to its last frame
// that did not read clean, only the frames that read better are taken, and the file is replaced
// whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <set>
#include <vector>

#include "platform/audio_tracks.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

constexpr uint64_t kFrames = 20;
using Now = std::optional<FrameState>;  // nullopt: no read gives the frame back
constexpr FrameState R = FrameState::kRead, U = FrameState::kUnrepaired, S = FrameState::kSilence,
                     X = FrameState::kUnread;

// A reader of kFrames frames, each every byte `fill` + its number, holding `states` (every
// other frame read clean); it notes the frames asked for in `asked`.
AudioFrameReader Reader(uint8_t fill, std::map<uint64_t, Now> states, std::set<uint64_t>* asked) {
  return [=](uint64_t first, uint32_t count, std::span<uint8_t> into, std::span<FrameState> held) {
    for (uint32_t i = 0; i < count; ++i) {
      if (asked) asked->insert(first + i);
      const auto found = states.find(first + i);
      const Now state = found == states.end() ? Now(R) : found->second;
      if (!state) return false;
      held[i] = *state;
      std::fill_n(into.begin() + i * kAudioFrameBytes, kAudioFrameBytes,
                  static_cast<uint8_t>(fill + first + i));
    }
    return true;
  };
}

ino_t Inode(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(AudioMending, TakesOnlyFramesThatReadBetterAndReplacesTheFileWholeOrNotAtAll) {
  struct Case {
    const char* what;
    std::map<uint64_t, Now> now;
    std::vector<FrameState> after;  // frames 12 to 14
    uint64_t unread, unrepaired;
    std::optional<rlim_t> sizeLimit;
    int errnum;  // 0: the file is replaced when any frame read better
  };
  // First written with frame 12 unread, 13 unrepaired, 14 silence from the correction.
  const std::map<uint64_t, Now> first = {{12, std::nullopt}, {13, U}, {14, S}};
  const Case cases[] = {
      {"each frame better", {{12, R}, {13, R}, {14, U}}, {R, R, U}, 0, 1, std::nullopt, 0},
      {"none better: unrepaired stays, silence is not taken for nothing read",
       {{12, std::nullopt}, {13, S}, {14, std::nullopt}},
       {X, U, S},
       1,
       2,
       std::nullopt,
       0},
      {"one better among worse", {{12, S}, {13, X}, {14, X}}, {S, U, S}, 0, 3, std::nullopt, 0},
      {"the copy cannot be written", {{12, R}, {13, R}, {14, R}}, {X, U, S}, 1, 2, 20000, EFBIG},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const AudioTrackResult earlier =
        WriteAudioTrack(dir.Folder(), 1, "", kFrames, Reader(10, first, nullptr));
    ASSERT_EQ(earlier.errnum, 0) << c.what;
    const std::vector<uint8_t> before = ReadFileBytes(earlier.path);
    const ino_t inode = Inode(earlier.path);
    std::set<uint64_t> asked;
    AudioTrackResult mended;
    {
      std::optional<FileSizeLimit> limit;
      if (c.sizeLimit) limit.emplace(*c.sizeLimit);
      mended = MendAudioTrack(earlier, Reader(100, c.now, &asked));
    }
    EXPECT_EQ(mended.errnum, c.errnum) << c.what;
    // From the track's start, as it was read first, to the last damaged frame; nothing after.
    EXPECT_EQ(asked.size(), 15u) << c.what;
    EXPECT_EQ(*asked.rbegin(), 14u) << c.what;
    std::vector<FrameStretch> expected = {{0, 12, R}};
    for (uint64_t frame = 12; frame < 15; ++frame) {
      const FrameState state = c.after[frame - 12];
      if (expected.back().state == state) {
        ++expected.back().count;
      } else {
        expected.push_back({frame, 1, state});
      }
    }
    if (expected.back().state == R) {
      expected.back().count += kFrames - 15;
    } else {
      expected.push_back({15, kFrames - 15, R});
    }
    EXPECT_EQ(mended.frames, expected) << c.what;
    EXPECT_EQ(mended.framesUnread, c.unread) << c.what;
    EXPECT_EQ(mended.framesUnrepaired, c.unrepaired) << c.what;
    // Each frame holds the read it was taken from; a file nothing was taken into is the one
    // written first, never touched, and no copy is left beside it.
    const std::vector<uint8_t> after = ReadFileBytes(earlier.path);
    ASSERT_EQ(after.size(), before.size()) << c.what;
    bool taken = false;
    for (uint64_t frame = 12; frame < 15; ++frame) {
      const std::size_t at = AudioTrackResult::FileOffset(frame);
      const bool better = c.after[frame - 12] != earlier.frames[1 + frame - 12].state;
      EXPECT_EQ(after[at], better ? uint8_t(100 + frame) : before[at]) << c.what << frame;
      taken = taken || better;
    }
    EXPECT_EQ(Inode(earlier.path) != inode, taken) << c.what;
    if (!taken) {
      EXPECT_EQ(after, before) << c.what;
    }
    EXPECT_EQ(ListFolder(dir.Path()).size(), 1u) << c.what;
  }
}

}  // namespace
}  // namespace orlenta
