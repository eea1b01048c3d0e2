// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/iso9660_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "listed_data.h"
#include "support/disc_images.h"
#include "support/memory_volume.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using ::testing::Contains;

constexpr int64_t kTime = 1089806400;  // 2004-07-14 12:00 UTC

const DiscTree& HolidayTree() {
  static const DiscTree tree = {
      {"Holiday 2004/IMG_0042.JPG", Pattern(300'000, 1)},
      {"Holiday 2004/a very long name with spaces, far beyond what Joliet keeps, to be "
       "sure.txt",
       Pattern(5'000, 2)},
      {"empty.txt", ""},
      {"deep/a/b/c/d/e/f/g/h/i/file.bin", Pattern(3'000, 3)},
  };
  return tree;
}

// Builds an image of HolidayTree with `tool` (xorriso's mkisofs emulation, which always
// writes Rock Ridge, or genisoimage) and `options`.
std::vector<uint8_t> DiscImage(const std::string& tool, const std::vector<std::string>& options) {
  TempDir dir;
  WriteTree(dir.File("tree"), HolidayTree(), kTime);
  std::filesystem::create_symlink("Holiday 2004/IMG_0042.JPG", dir.File("tree/link"));
  std::vector<std::string> argv{tool, "-V", "Holiday 2004"};
  if (tool == "xorriso") argv.insert(argv.begin() + 1, {"-as", "mkisofs"});
  if (tool == "genisoimage") argv.insert(argv.end(), {"-input-charset", "utf-8"});
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"-o", dir.File("disc.iso"), dir.File("tree")});
  EXPECT_EQ(RunTool(argv), 0);
  return ReadFileBytes(dir.File("disc.iso"));
}

FileListing ListingOf(const std::vector<uint8_t>& image, const std::vector<uint64_t>& failing = {},
                      const DirectoryLimits& limits = {}) {
  MemoryVolume volume(image);
  for (const uint64_t sector : failing) volume.FailSector(sector);
  BlockReader blocks(volume);
  return ReadIso9660(blocks, limits);
}

// The block holding the first occurrence of `bytes` in the image.
uint64_t BlockHolding(const std::vector<uint8_t>& image, const std::string& bytes) {
  const auto found = std::search(image.begin(), image.end(), bytes.begin(), bytes.end());
  return static_cast<uint64_t>(found - image.begin()) / 2048;
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (const char c : ascii) wide += std::string(1, '\0') + c;
  return wide;
}

TEST(Iso9660Reader, EveryFileOfARealImageUnderItsBestName) {
  struct Case {
    std::string tool;
    std::vector<std::string> options;
    NameSource names;
    bool exactPaths;
  };
  for (const Case& c :
       {Case{"xorriso", {"-R", "-J"}, NameSource::kRockRidge, true},
        Case{"genisoimage", {"-R", "-J"}, NameSource::kRockRidge, true},
        Case{"genisoimage", {"-J", "-D"}, NameSource::kJoliet, false},
        Case{"genisoimage", {"-iso-level", "1", "-D"}, NameSource::kIso9660, false}}) {
    SCOPED_TRACE(c.tool + " " + c.options.front());
    const std::vector<uint8_t> image = DiscImage(c.tool, c.options);
    ASSERT_FALSE(image.empty());
    const FileListing listing = ListingOf(image);
    EXPECT_EQ(listing.label, c.names == NameSource::kIso9660 ? "Holiday 2004" : "Holiday 2004");
    ASSERT_EQ(listing.files.size(), HolidayTree().size());
    for (const ListedFile& file : listing.files) {
      const std::string path = PathText(file.path);
      EXPECT_EQ(file.nameSource, c.names) << path;
      EXPECT_FALSE(file.suspect) << path;
      EXPECT_EQ(file.mtime, kTime) << path;
      const std::string data = DataOf(file, image);
      if (c.exactPaths) {
        ASSERT_TRUE(HolidayTree().contains(path)) << path;
        EXPECT_EQ(data, HolidayTree().at(path)) << path;
      } else {
        EXPECT_TRUE(std::any_of(HolidayTree().begin(), HolidayTree().end(), [&](const auto& entry) {
          return entry.second == data;
        })) << path;
      }
    }
    EXPECT_THAT(FoldersHeldTwice(listing), ::testing::IsEmpty());
    if (c.exactPaths) {
      ASSERT_EQ(listing.links.size(), 1u);
      EXPECT_EQ(PathText(listing.links[0].path), "link");
      EXPECT_EQ(listing.links[0].target, "Holiday 2004/IMG_0042.JPG");
    }
  }
}

TEST(Iso9660Reader, OtherCopiesNameFilesWhoseDirectorySectorIsLost) {
  const std::vector<uint8_t> image = DiscImage("xorriso", {"-R", "-J"});
  const uint64_t primary = BlockHolding(image, "IMG_0042.JPG;1");
  const uint64_t joliet = BlockHolding(image, Utf16("IMG_0042.JPG"));
  ASSERT_NE(primary, joliet);
  auto namesOf = [&](const std::vector<uint64_t>& failing) {
    std::vector<std::string> names;
    for (const ListedFile& file : ListingOf(image, failing).files) {
      names.push_back(PathText(file.path));
    }
    return names;
  };
  // The Rock Ridge folder is lost: the Joliet tree still names the file.
  EXPECT_THAT(namesOf({primary}), Contains("Holiday 2004/IMG_0042.JPG"));
  // Both folders lost: nothing names it any more.
  EXPECT_THAT(namesOf({primary, joliet}),
              ::testing::Not(Contains(::testing::EndsWith("IMG_0042.JPG"))));
  // Both roots lost: the path tables still lead to the folders below them.
  const uint64_t primaryRoot = image[16 * 2048 + 158] | (image[16 * 2048 + 159] << 8);
  const uint64_t jolietRoot = image[17 * 2048 + 158] | (image[17 * 2048 + 159] << 8);
  EXPECT_THAT(namesOf({primaryRoot, jolietRoot}), Contains(::testing::EndsWith("IMG_0042.JPG")));
}

// The hand-made images: root folder at block 20, files from block 40 on.
TEST(Iso9660Reader, HandMadeDirectoriesAreReadWithinBounds) {
  using Record = HandMadeIso::Record;
  struct Case {
    const char* what;
    std::vector<Record> records;
    std::size_t files;
    std::vector<std::vector<FileExtent>> extents;
    bool suspect;
    bool problem;
  };
  const std::vector<Case> cases = {
      {"a folder naming its own parent is read once",
       {{20, 2048, 0x02, "LOOP"}, {40, 100, 0, "A.TXT;1"}},
       1,
       {{{40 * 2048, 100}}},
       false,
       false},
      {"an extent past the end is cut",
       {{90, 40 * 2048, 0, "BIG.BIN;1"}},
       1,
       {{{90 * 2048, 10 * 2048}}},
       true,
       true},
      {"a file in several parts is one file",
       {{40, 4096, 0x80, "PARTS.BIN;1"}, {50, 100, 0, "PARTS.BIN;1"}},
       1,
       {{{40 * 2048, 4096}, {50 * 2048, 100}}},
       false,
       false},
      {"an interleaved file skips its gaps",
       {{40, 3 * 2048, 0, "WOVEN.BIN;1", "", 1, 1}},
       1,
       {{{40 * 2048, 2048}, {42 * 2048, 2048}, {44 * 2048, 2048}}},
       false,
       false},
      {"overlapping files are both suspect",
       {{40, 4096, 0, "ONE.BIN;1"}, {41, 4096, 0, "TWO.BIN;1"}},
       2,
       {{{40 * 2048, 4096}}, {{41 * 2048, 4096}}},
       true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandMadeIso iso(100);
    iso.Describe(20, 1);
    iso.Folder(20, 1, 20, c.records);
    const FileListing listing = ListingOf(iso.Bytes());
    ASSERT_EQ(listing.files.size(), c.files);
    for (std::size_t i = 0; i < c.files; ++i) {
      const ListedFile& file = listing.files[i];
      ASSERT_EQ(file.extents.size(), c.extents[i].size());
      for (std::size_t e = 0; e < file.extents.size(); ++e) {
        EXPECT_EQ(file.extents[e].offset, c.extents[i][e].offset);
        EXPECT_EQ(file.extents[e].length, c.extents[i][e].length);
      }
      EXPECT_EQ(file.suspect, c.suspect);
    }
    EXPECT_EQ(!listing.problems.empty(), c.problem);
  }
}

TEST(Iso9660Reader, HostileCountsAndDepthsAreCapped) {
  using Record = HandMadeIso::Record;
  HandMadeIso iso(200);
  iso.Describe(20, 8);
  std::vector<Record> many;
  for (int i = 0; i < 300; ++i) many.push_back({100, 10, 0, "F" + std::to_string(i) + ".;1"});
  many.push_back({30, 2048, 0x02, "D1"});
  iso.Folder(20, 8, 20, many);
  // A chain of folders, each inside the last, deeper than allowed.
  for (uint32_t block = 30; block < 40; ++block) {
    iso.Folder(block, 1, block - 1, {{block + 1, 2048, 0x02, "D"}});
  }
  DirectoryLimits limits;
  limits.maxEntries = 100;
  const FileListing capped = ListingOf(iso.Bytes(), {}, limits);
  EXPECT_LE(capped.files.size(), 101u);
  EXPECT_FALSE(capped.problems.empty());
  limits = DirectoryLimits{};
  limits.maxDepth = 4;
  const FileListing shallow = ListingOf(iso.Bytes(), {}, limits);
  EXPECT_EQ(shallow.files.size(), 300u);
  EXPECT_THAT(shallow.problems, Contains(::testing::HasSubstr("nested too deep")));
}

TEST(Iso9660Reader, RockRidgeNamesAndPathTablesOfHandMadeImages) {
  HandMadeIso iso(100);
  iso.Describe(20, 1);
  // The root's own record says Rock Ridge is there; its one folder cannot be read.
  iso.Folder(20, 1, 20,
             {{20, 2048, 0x02, std::string(1, '\0'), RockRidgeStart()},
              {20, 2048, 0x02, std::string(1, '\1')},
              {30, 2048, 0x02, "LOST", RockRidgeName("Lost folder")},
              {40, 5, 0, "ODD.TXT;1", RockRidgeName("../../etc/passwd")}});
  iso.Folder(31, 1, 30, {{41, 7, 0, "FOUND.TXT;1", RockRidgeName("Found again.txt")}});
  iso.PathTable(60, {{20, 1, ""}, {30, 1, "LOST"}, {31, 2, "INNER"}});
  const FileListing listing = ListingOf(iso.Bytes(), {30});
  std::vector<std::string> names;
  for (const ListedFile& file : listing.files) names.push_back(PathText(file.path));
  // Names stay as the disc spells them here; they are made safe where they are written.
  EXPECT_THAT(names, ::testing::UnorderedElementsAre("../../etc/passwd",
                                                     "Lost folder/INNER/Found again.txt"));
}

// Each file a listing holds: its path, the older session it comes from (0: the last), its data.
using Listed = std::tuple<std::string, uint32_t, std::string>;

std::vector<Listed> EntriesOf(const FileListing& listing, const std::vector<uint8_t>& image) {
  std::vector<Listed> entries;
  for (const ListedFile& file : listing.files) {
    entries.emplace_back(PathText(file.path), file.olderSession, DataOf(file, image));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(Iso9660Reader, OlderSessionsGiveBackWhatLaterOnesRemovedOrReplaced) {
  const std::string keep = Pattern(100'000, 4);
  const DiscSession first{
      {{"a.txt", "one"}, {"b.txt", "old b"}, {"gone.txt", "gone"}, {"photos/keep.bin", keep}}, {}};
  struct Case {
    const char* what;
    std::string tool;
    std::vector<DiscSession> sessions;
    uint32_t gap;
    std::vector<Listed> expected;
    bool tracksTell = false;  // the gap is one only the disc's table of contents tells
  };
  const std::vector<Listed> replaced = {{"a.txt", 0, "one"},   {"b.txt", 0, "newer b"},
                                        {"b.txt", 1, "old b"}, {"gone.txt", 0, "gone"},
                                        {"new.txt", 0, "new"}, {"photos/keep.bin", 0, keep}};
  const std::vector<Case> cases = {
      {"appended to an image file: a copy of the last session's descriptors at the start",
       "xorriso",
       {first,
        {{{"b.txt", "newer b"}, {"b (session 1).txt", "clash"}}, {"/gone.txt"}},
        {{{"c.txt", "c"}}, {"/b.txt"}}},
       0,
       {{"a.txt", 0, "one"},
        {"b (session 1).txt", 0, "clash"},
        {"b.txt", 1, "old b"},
        {"b.txt", 2, "newer b"},
        {"c.txt", 0, "c"},
        {"gone.txt", 1, "gone"},
        {"photos/keep.bin", 0, keep}}},
      {"written after the last session: the oldest descriptors at the start",
       "genisoimage",
       {first, {{{"b.txt", "newer b"}, {"new.txt", "new"}}, {}}},
       0,
       replaced},
      {"a CD's gap between the sessions",
       "genisoimage",
       {first, {{{"b.txt", "newer b"}, {"new.txt", "new"}}, {}}},
       11400,
       replaced},
      {"a gap only the table of contents tells",
       "genisoimage",
       {first, {{{"b.txt", "newer b"}, {"new.txt", "new"}}, {}}},
       777,
       replaced,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> image = MultisessionImage(c.tool, c.sessions, c.gap);
    ASSERT_FALSE(image.empty());
    MemoryVolume volume(image);
    if (c.tracksTell) {
      // The second session's descriptors are the first ones after the first session's.
      const std::string descriptor = "\1CD001";
      const auto second =
          std::search(image.begin() + 18 * 2048, image.end(), descriptor.begin(), descriptor.end());
      const uint64_t start = static_cast<uint64_t>(second - image.begin()) / 2048 - 16;
      volume.SetTracks({{1, false, 0, start - c.gap}, {2, false, start, image.size() / 2048}});
    }
    BlockReader blocks(volume);
    const FileListing listing = ReadIso9660(blocks);
    EXPECT_EQ(listing.label, "SESSIONS");
    EXPECT_THAT(listing.problems, ::testing::IsEmpty());
    EXPECT_EQ(EntriesOf(listing, image), c.expected);
  }
}

TEST(Iso9660Reader, OnlyRealSessionsAreRead) {
  HandMadeIso iso(120);
  // The first session, 60 blocks, lists A.TXT.
  iso.DescribeSession(0, 60, 20, 1);
  iso.Folder(20, 1, 20, {{40, 3, 0, "A.TXT;1"}});
  // A disc image stored as a file where a rewritable disc's first session would begin: its
  // root lies before its own descriptors, so it is no session of this disc.
  iso.DescribeSession(32, 20, 25, 1);
  iso.Folder(25, 1, 25, {{41, 4, 0, "FAKE.TXT;1"}});
  // The next session, after the first one's end, lists only B.TXT; its size leads nowhere.
  iso.DescribeSession(64, 0, 82, 1);
  iso.Folder(82, 1, 82, {{90, 5, 0, "B.TXT;1"}});
  iso.Put(40, "aaa");
  iso.Put(41, "fake");
  iso.Put(90, "bbbbb");
  const FileListing listing = ListingOf(iso.Bytes());
  EXPECT_EQ(EntriesOf(listing, iso.Bytes()),
            (std::vector<Listed>{{"A.TXT", 1, "aaa"}, {"B.TXT", 0, "bbbbb"}}));
}

}  // namespace
}  // namespace orlenta
