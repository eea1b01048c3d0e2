// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/end_finder_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "toy_formats.h"

namespace orlenta {
namespace {

using State = EndFinderDriver::State;

// Feeds `file` in pieces of `piece` bytes until the driver stops following.
State FeedInPieces(EndFinderDriver& driver, const std::vector<uint8_t>& file, std::size_t piece) {
  State state = State::kFollowing;
  for (std::size_t at = 0; at < file.size() && state == State::kFollowing; at += piece) {
    const std::size_t n = std::min(piece, file.size() - at);
    state = driver.Feed({file.data() + at, n});
  }
  return state;
}

// Chunks of a two-byte little-endian size and that many bytes; a zero size ends the file.
// Every size field is asked for alone, so that it often straddles two pieces.
class ChunkFinder final : public EndFinder {
 public:
  FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) override {
    const uint32_t size = bytes[0] | (bytes[1] << 8);
    if (size == 0) return FinderStep::End(at + 2);
    return FinderStep::Need(at + 2 + size, 2);
  }
};

std::vector<uint8_t> ChunkFile(const std::vector<uint16_t>& sizes) {
  std::vector<uint8_t> file;
  for (const uint16_t size : sizes) {
    file.push_back(static_cast<uint8_t>(size));
    file.push_back(static_cast<uint8_t>(size >> 8));
    file.insert(file.end(), size, 0x5A);
  }
  file.push_back(0);
  file.push_back(0);
  return file;
}

// Looks for "EOF!" byte by byte, which may be cut in two by a piece boundary: it asks to
// see the last three bytes again with what follows.
class MarkerFinder final : public EndFinder {
 public:
  FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) override {
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
      if (std::memcmp(bytes.data() + i, "EOF!", 4) == 0) return FinderStep::End(at + i + 4);
    }
    const std::size_t keep = std::min<std::size_t>(3, bytes.size());
    return FinderStep::Scan(at + bytes.size() - keep);
  }
};

// Answers with whatever the test tells it, once per call.
class ScriptedFinder final : public EndFinder {
 public:
  explicit ScriptedFinder(std::function<FinderStep(uint64_t, std::size_t)> answer)
      : answer_(std::move(answer)) {}
  FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) override {
    ++calls;
    return answer_(at, bytes.size());
  }
  int calls = 0;

 private:
  std::function<FinderStep(uint64_t, std::size_t)> answer_;
};

TEST(EndFinderDriver, FindsTheEndWhateverThePiecesAndWhereStructuresStraddleThem) {
  const std::vector<uint8_t> chunks = ChunkFile({5, 2044, 1, 0x3000, 17, 4093});
  std::vector<uint8_t> marked(9000, 0x11);
  std::memcpy(marked.data() + 6141, "EOF!", 4);  // across the 2048-byte boundary at 6144
  const std::vector<uint8_t> toy = MakeToyFile(7000);
  for (const std::size_t piece :
       {std::size_t{1}, std::size_t{3}, std::size_t{512}, std::size_t{2048}, std::size_t{10000}}) {
    SCOPED_TRACE(piece);
    EndFinderDriver chunkDriver(std::make_unique<ChunkFinder>());
    EXPECT_EQ(FeedInPieces(chunkDriver, chunks, piece), State::kEnded);
    EXPECT_EQ(chunkDriver.EndLength(), chunks.size());

    EndFinderDriver markerDriver(std::make_unique<MarkerFinder>());
    EXPECT_EQ(FeedInPieces(markerDriver, marked, piece), State::kEnded);
    EXPECT_EQ(markerDriver.EndLength(), 6145u);

    EndFinderDriver toyDriver(std::make_unique<ToyFinder>());
    if (piece >= 8) {  // the toy finder wants its whole header in the first piece
      EXPECT_EQ(FeedInPieces(toyDriver, toy, piece), State::kEnded);
      EXPECT_EQ(toyDriver.EndLength(), 7000u);
    }
  }
}

TEST(EndFinderDriver, PayloadsTheFinderSkipsAreNeverShownToIt) {
  int calls = 0;
  EndFinderDriver driver(std::make_unique<ScriptedFinder>([&](uint64_t at, std::size_t) {
    ++calls;
    return at == 0 ? FinderStep::Need(1'000'000, 4) : FinderStep::End(1'000'004);
  }));
  const std::vector<uint8_t> sector(2048, 0);
  State state = State::kFollowing;
  for (int i = 0; i < 490 && state == State::kFollowing; ++i) state = driver.Feed(sector);
  EXPECT_EQ(state, State::kEnded);
  EXPECT_EQ(driver.EndLength(), 1'000'004u);
  EXPECT_EQ(calls, 2);
}

TEST(EndFinderDriver, AFinderThatBreaksItsWordIsTakenAsBroken) {
  const std::vector<uint8_t> sector(2048, 0);
  const std::vector<std::function<FinderStep(uint64_t, std::size_t)>> faults = {
      // asks for bytes before those it was given
      [](uint64_t at, std::size_t) { return FinderStep::Need(at == 0 ? 4000 : at - 1, 4); },
      // asks for more than the carry holds
      [](uint64_t, std::size_t) { return FinderStep::Need(10, kMaxFinderNeed + 1); },
      // asks for the very bytes it has just had
      [](uint64_t at, std::size_t) { return FinderStep::Need(at == 0 ? 100 : at, 4); },
      // ends beyond what it has seen, or before the file's first byte
      [](uint64_t at, std::size_t n) { return FinderStep::End(at + n + 1); },
      [](uint64_t, std::size_t) { return FinderStep::End(0); },
      // rescans further back than the carry reaches
      [](uint64_t at, std::size_t n) {
        return at == 0 ? FinderStep::Scan(0 + n - 1) : FinderStep::Scan(at);
      },
  };
  for (std::size_t i = 0; i < faults.size(); ++i) {
    SCOPED_TRACE(i);
    EndFinderDriver driver(std::make_unique<ScriptedFinder>(faults[i]));
    State state = State::kFollowing;
    for (int s = 0; s < 8 && state == State::kFollowing; ++s) state = driver.Feed(sector);
    EXPECT_EQ(state, State::kBroken);
  }
  EXPECT_EQ(EndFinderDriver(nullptr).Feed(sector), State::kBroken);
}

TEST(EndFinderDriver, StaysEndedOrBrokenOnceItIs) {
  EndFinderDriver driver(
      std::make_unique<ScriptedFinder>([](uint64_t, std::size_t) { return FinderStep::End(100); }));
  const std::vector<uint8_t> sector(2048, 0);
  EXPECT_EQ(driver.Feed(sector), State::kEnded);
  EXPECT_EQ(driver.Feed(sector), State::kEnded);
  EXPECT_EQ(driver.EndLength(), 100u);
}

}  // namespace
}  // namespace orlenta
