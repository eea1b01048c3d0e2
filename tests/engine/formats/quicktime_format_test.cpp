// SPDX-License-Identifier: GPL-3.0-or-later
// Top-level atom walks that encoders rarely write but discs hold: 64-bit sizes, sizes of
// zero, movies directly followed by the next movie, unreadable atom headers.
#include <gtest/gtest.h>

#include <string>

#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::FindEnd;
using testing::kSector;
using testing::OnDisc;

std::string Atom(const char* type, std::size_t payload, uint8_t fill = 0x5A) {
  const std::size_t size = 8 + payload;
  std::string atom = {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                      static_cast<char>(size >> 8), static_cast<char>(size)};
  return atom + type + std::string(payload, static_cast<char>(fill));
}

std::string LargeAtom(const char* type, std::size_t payload) {
  const uint64_t size = 16 + payload;
  std::string atom = std::string("\0\0\0\x01", 4) + type;
  for (int shift = 56; shift >= 0; shift -= 8) atom += static_cast<char>(size >> shift);
  return atom + std::string(payload, '\x33');
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

FinderStep Walk(const std::vector<uint8_t>& bytes) {
  return FindEnd(kQuickTimeMovieAtom, bytes, kSector);
}

TEST(QuickTimeWalk, SixtyFourBitSizesAndFreeAtoms) {
  const std::string movie = Atom("moov", 300) + Atom("free", 20) + LargeAtom("mdat", 9000);
  const FinderStep step = Walk(OnDisc(Bytes(movie)));
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, movie.size());
}

TEST(QuickTimeWalk, SizeZeroRunsToAnUnknownEnd) {
  std::string movie = Atom("moov", 300) + Atom("mdat", 5000);
  movie.replace(308, 4, 4, '\0');  // the media atom's size: 0, "to the end of the file"
  EXPECT_EQ(Walk(OnDisc(Bytes(movie))).kind, FinderStep::kBroken);
}

TEST(QuickTimeWalk, UnreadableMediaAtomHeaderIsNotAnEnd) {
  // The movie atom fills the first sector; the sector holding the media atom's header
  // could not be read and came back as zeros.
  const std::string movie = Atom("moov", kSector - 8) + Atom("mdat", 6000);
  std::vector<uint8_t> disc = OnDisc(Bytes(movie));
  std::fill_n(disc.begin() + kSector, kSector, 0);
  EXPECT_EQ(Walk(disc).kind, FinderStep::kBroken);
}

TEST(QuickTimeWalk, NextMovieRightAfterTheLastSectorEndsThisOne) {
  // Each movie fills whole sectors, so the next one starts right where this one ends.
  const std::string first = Atom("moov", 1000) + Atom("mdat", 3 * kSector - 1016);
  ASSERT_EQ(first.size() % kSector, 0u);
  for (const std::string& next :
       {Atom("moov", 100), Atom("mdat", 100), Atom("ftyp", 16) + Atom("moov", 100)}) {
    const FinderStep step = Walk(OnDisc(Bytes(first + next)));
    EXPECT_EQ(step.kind, FinderStep::kEnd);
    EXPECT_EQ(step.offset, first.size());
  }
}

TEST(QuickTimeWalk, FragmentsPairMovieFragmentsWithMedia) {
  const std::string movie = Atom("ftyp", 16) + Atom("moov", 400) + Atom("moof", 100) +
                            Atom("mdat", 3000) + Atom("moof", 100) + Atom("mdat", 2500) +
                            Atom("mfra", 60);
  const FinderStep step = FindEnd(kMp4, OnDisc(Bytes(movie)), 1);
  EXPECT_EQ(step.kind, FinderStep::kEnd);
  EXPECT_EQ(step.offset, movie.size());
}

}  // namespace
}  // namespace orlenta
