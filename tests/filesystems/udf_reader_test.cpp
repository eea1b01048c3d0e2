// SPDX-License-Identifier: GPL-3.0-or-later
// The UDF reader on images made by genisoimage and mkudffs (files put into mkudffs's empty
// file systems by tests/support/udf_image), whole, damaged and hostile.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "filesystems/disc_listing.h"
#include "listed_data.h"
#include "support/disc_images.h"
#include "support/memory_volume.h"
#include "support/temp_dir.h"
#include "support/udf_image.h"

namespace orlenta {
namespace {

constexpr int64_t kTime = 1089806400;  // 2004-07-14 12:00 UTC

FileListing ListingOf(const std::vector<uint8_t>& image, const std::vector<uint64_t>& failing = {},
                      const DirectoryLimits& limits = {}) {
  MemoryVolume volume(image);
  for (const uint64_t sector : failing) volume.FailSector(sector);
  BlockReader blocks(volume);
  return ReadDiscListing(blocks, limits);
}

// Files by path: their data, and whether the disc marks them deleted.
using Files = std::map<std::string, std::pair<std::string, bool>>;

// Compares path by path, so that a failure names the file, not every byte of the others.
void ExpectFiles(const Files& got, const Files& wanted) {
  auto paths = [](const Files& files) {
    std::vector<std::string> paths;
    for (const auto& entry : files) paths.push_back(entry.first);
    return paths;
  };
  EXPECT_EQ(paths(got), paths(wanted));
  for (const auto& [path, entry] : wanted) {
    if (!got.contains(path)) continue;
    EXPECT_TRUE(got.at(path).first == entry.first) << path << ": other bytes";
    EXPECT_EQ(got.at(path).second, entry.second) << path << ": deleted or not";
  }
}

Files FilesOf(const FileListing& listing, const std::vector<uint8_t>& image) {
  Files files;
  for (const ListedFile& file : listing.files) {
    EXPECT_EQ(file.nameSource, NameSource::kUdf) << PathText(file.path);
    EXPECT_TRUE(
        files.emplace(PathText(file.path), std::pair(DataOf(file, image), file.deleted)).second)
        << "twice: " << PathText(file.path);
  }
  return files;
}

std::string Problems(const FileListing& listing) {
  std::string text;
  for (const std::string& problem : listing.problems) text += problem + "\n";
  return text;
}

const DiscTree& FamilyTree() {
  static const DiscTree tree = {
      {"Holiday 2004/IMG_0042.JPG", Pattern(300'000, 1)},
      {"a very long name with spaces, far beyond what Joliet keeps (64 characters), to be "
       "sure.txt",
       Pattern(5'000, 2)},
      {"empty.txt", ""},
      {"Été/日本の写真.jpg", Pattern(7'000, 3)},
      {"deep/a/b/c/d/file.bin", Pattern(3'000, 4)},
  };
  return tree;
}

std::vector<uint8_t> GenisoimageUdf() {
  TempDir dir;
  WriteTree(dir.File("tree"), FamilyTree(), kTime);
  EXPECT_EQ(RunTool({"genisoimage", "-quiet", "-udf", "-input-charset", "utf-8", "-V", "Family",
                     "-o", dir.File("disc.iso"), dir.File("tree")}),
            0);
  return ReadFileBytes(dir.File("disc.iso"));
}

TEST(UdfReader, ABridgeDiscGivesEveryFileOnceByItsUdfPathFromAnyCopyOfItsDescriptors) {
  const std::vector<uint8_t> image = GenisoimageUdf();
  ASSERT_FALSE(image.empty());
  const uint64_t last = image.size() / 2048 - 1;
  struct Case {
    const char* what;
    std::vector<uint64_t> failing;
  };
  // genisoimage keeps the main sequence at 32-47 and its reserve at 48-63.
  for (const Case& c :
       {Case{"whole", {}}, Case{"main sequence lost", {32, 33, 34, 35, 36, 37}},
        Case{"first anchor lost", {256}}, Case{"anchors at 256 and the end lost", {256, last}}}) {
    SCOPED_TRACE(c.what);
    const FileListing listing = ListingOf(image, c.failing);
    EXPECT_EQ(listing.label, "Family");
    EXPECT_EQ(listing.system, "UDF 1.02 + ISO 9660");
    const auto files = FilesOf(listing, image);
    ASSERT_EQ(files.size(), FamilyTree().size()) << Problems(listing);
    for (const auto& [path, data] : FamilyTree()) {
      ASSERT_TRUE(files.contains(path)) << path;
      EXPECT_EQ(files.at(path).first, data) << path;
    }
    for (const ListedFile& file : listing.files) {
      EXPECT_EQ(file.mtime, kTime);
      EXPECT_FALSE(file.suspect);
    }
    EXPECT_EQ(FoldersHeldTwice(listing), std::vector<std::string>());
  }
}

TEST(UdfReader, FilesOfAFolderUdfCannotReadComeBackFromTheIsoTree) {
  const std::vector<uint8_t> image = GenisoimageUdf();
  const std::string stored = "\x08IMG_0042.JPG";  // the name as the folder's UDF entry holds it
  const auto found = std::search(image.begin(), image.end(), stored.begin(), stored.end());
  ASSERT_NE(found, image.end());
  const FileListing listing = ListingOf(image, {uint64_t(found - image.begin()) / 2048});
  EXPECT_NE(Problems(listing).find("UDF: Holiday 2004: a directory sector cannot be read"),
            std::string::npos)
      << Problems(listing);
  const auto photo =
      std::find_if(listing.files.begin(), listing.files.end(), [&](const auto& file) {
        return DataOf(file, image) == FamilyTree().at("Holiday 2004/IMG_0042.JPG");
      });
  ASSERT_NE(photo, listing.files.end());
  EXPECT_EQ(photo->nameSource, NameSource::kIso9660);
  EXPECT_EQ(photo->path.back(), "IMG_0042.JPG");
  EXPECT_EQ(listing.files.size(), FamilyTree().size());
}

std::vector<uint8_t> Mkudffs(const std::vector<std::string>& options, uint32_t blocks) {
  TempDir dir;
  std::vector<std::string> argv{"mkudffs", "--new-file", "--blocksize=2048", "--label=Camcorder"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {dir.File("udf.img"), std::to_string(blocks)});
  EXPECT_EQ(RunTool(argv), 0);
  return ReadFileBytes(dir.File("udf.img"));
}

using Form = UdfImage::Form;
using Options = UdfImage::FileOptions;

// Files of every form an entry may record its data in.
void AddEveryForm(UdfImage& image, Form form, bool extended) {
  image.Add("VIDEO_TS/VTS_01_1.VOB", Pattern(40'000, 11), {.form = form, .extended = extended});
  image.Add("Été/photo.jpg", Pattern(1'500, 12), {.form = Form::kEmbedded, .extended = extended});
  image.Add("Été/notes.txt", "short", {.form = Form::kEmbedded, .extended = extended});
  image.Add("parts/in four runs.bin", Pattern(7'000, 13),
            {.form = form, .extended = extended, .runBlocks = 1});
  image.Add("parts/listed apart.bin", Pattern(5'000, 14),
            {.form = form, .extended = extended, .runBlocks = 1, .inAllocationExtent = true});
  image.Add("parts/removed.jpg", Pattern(3'000, 15),
            {.form = form, .extended = extended, .deleted = true});
  image.Add("empty", "", {.form = form, .extended = extended});
  image.Add("parts/rewritten.txt", "the newer version",
            {.form = form, .extended = extended, .rewritten = true});
}

TEST(UdfReader, EveryPartitionKindAndEntryFormOfMkudffsImages) {
  struct Case {
    const char* what;
    std::vector<std::string> options;
    uint32_t blocks;
    bool metadata;
    Form form;
    bool extended;
    const char* system;
  };
  for (const Case& c : {
           Case{"plain 2.01", {}, 1200, false, Form::kShort, true, "UDF 2.01"},
           Case{"plain 1.02", {"--udfrev=1.02"}, 1200, false, Form::kLong, false, "UDF 1.02"},
           Case{"sparable", {"--media-type=dvdrw"}, 2000, false, Form::kShort, true, "UDF 2.01"},
           Case{"virtual 1.50",
                {"--media-type=cdr", "--vat", "--udfrev=1.50"},
                600,
                false,
                Form::kShort,
                false,
                "UDF 1.50"},
           Case{"virtual 2.01",
                {"--media-type=cdr", "--vat"},
                600,
                false,
                Form::kLong,
                true,
                "UDF 2.01"},
           Case{"metadata 2.50", {}, 1200, true, Form::kLong, true, "UDF 2.50"},
       }) {
    SCOPED_TRACE(c.what);
    UdfImage made(Mkudffs(c.options, c.blocks));
    if (c.metadata) made.UseMetadataPartition();
    AddEveryForm(made, c.form, c.extended);
    const std::vector<uint8_t> image = made.Finish();
    const FileListing listing = ListingOf(image);
    EXPECT_EQ(listing.label, "Camcorder");
    EXPECT_EQ(listing.system, c.system);
    EXPECT_EQ(Problems(listing), "");
    const auto files = FilesOf(listing, image);
    ExpectFiles(files, {{"VIDEO_TS/VTS_01_1.VOB", {Pattern(40'000, 11), false}},
                        {"Été/photo.jpg", {Pattern(1'500, 12), false}},
                        {"Été/notes.txt", {"short", false}},
                        {"parts/in four runs.bin", {Pattern(7'000, 13), false}},
                        {"parts/listed apart.bin", {Pattern(5'000, 14), false}},
                        {"parts/removed.jpg", {Pattern(3'000, 15), true}},
                        {"parts/rewritten.txt", {"the newer version", false}},
                        {"empty", {"", false}}});
    for (const ListedFile& file : listing.files) {
      EXPECT_EQ(file.mtime, kTime);
      EXPECT_FALSE(file.suspect) << PathText(file.path);
      if (PathText(file.path) == "parts/in four runs.bin") {
        EXPECT_EQ(file.extents.size(), 4u);
      }
    }
  }
}

TEST(UdfReader, SparedPacketsAndTheMetadataMirrorStandInForLostCopies) {
  UdfImage spared(Mkudffs({"--media-type=dvdrw"}, 2000));
  spared.Add("clip.mpg", Pattern(70'000, 21));
  spared.Finish();
  const std::vector<uint8_t> moved = spared.Spare("clip.mpg");
  EXPECT_EQ(FilesOf(ListingOf(moved), moved).at("clip.mpg").first, Pattern(70'000, 21));

  UdfImage mirrored(Mkudffs({}, 600));
  mirrored.UseMetadataPartition();
  mirrored.Add("clip.mpg", Pattern(10'000, 22), {.form = Form::kLong});
  const std::vector<uint8_t> image = mirrored.Finish();
  // The metadata file's own copy of the file set, root and folder lost: the mirror has them.
  const FileListing before = ListingOf(image);
  ASSERT_EQ(before.files.size(), 1u);
  const uint64_t metadataStart = 257 + 160;  // the plain partition's half, where it was put
  const FileListing listing =
      ListingOf(image, {metadataStart, metadataStart + 1, metadataStart + 2, metadataStart + 3});
  EXPECT_EQ(Problems(listing), "");
  EXPECT_EQ(FilesOf(listing, image).at("clip.mpg").first, Pattern(10'000, 22));
}

// A disc written in packets, written again: each write leaves a new virtual allocation table
// after what it wrote, and the earlier ones stay. Files removed or replaced since come back
// from the earlier tables' view, as files of an older session.
TEST(UdfReader, FilesRemovedOrReplacedInALaterWriteComeBackFromTheOlderTable) {
  using Entry = std::tuple<std::string, uint32_t, std::string>;  // path, older session, data
  for (const char* revision : {"--udfrev=1.50", "--udfrev=2.01"}) {
    SCOPED_TRACE(revision);
    UdfImage made(Mkudffs({"--media-type=cdr", "--vat", revision}, 600));
    made.Add("Holiday/kept.jpg", Pattern(5'000, 41));
    made.Add("Holiday/replaced.jpg", Pattern(6'000, 42));
    made.Add("Holiday/removed.jpg", Pattern(7'000, 43));
    made.Finish();
    made.Remove("Holiday/replaced.jpg");
    made.Add("Holiday/replaced.jpg", Pattern(6'500, 44));
    made.Remove("Holiday/removed.jpg");
    made.Add("later.txt", "written the second time");
    const std::vector<uint8_t> image = made.Finish();
    const FileListing listing = ListingOf(image);
    EXPECT_EQ(Problems(listing), "");
    std::vector<Entry> entries;
    for (const ListedFile& file : listing.files)
      entries.emplace_back(PathText(file.path), file.olderSession, DataOf(file, image));
    std::sort(entries.begin(), entries.end());
    // Three tables: mkudffs's (an empty root), the first write's and the second's.
    const std::vector<Entry> wanted = {
        {"Holiday/kept.jpg", 0, Pattern(5'000, 41)},
        {"Holiday/removed.jpg", 2, Pattern(7'000, 43)},
        {"Holiday/replaced.jpg", 0, Pattern(6'500, 44)},
        {"Holiday/replaced.jpg", 2, Pattern(6'000, 42)},
        {"later.txt", 0, "written the second time"},
    };
    ASSERT_EQ(entries.size(), wanted.size());
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      EXPECT_EQ(std::get<0>(entries[i]), std::get<0>(wanted[i]));
      EXPECT_EQ(std::get<1>(entries[i]), std::get<1>(wanted[i])) << std::get<0>(wanted[i]);
      EXPECT_TRUE(std::get<2>(entries[i]) == std::get<2>(wanted[i])) << std::get<0>(wanted[i]);
    }
  }
}

TEST(UdfReader, HostileEntriesAreCappedWithAMessage) {
  UdfImage made(Mkudffs({}, 600));
  made.Add("loop/fine.txt", "fine");
  made.AddLoop("loop/back to the root");
  made.Add("past the end.bin", Pattern(4'000, 31), {.firstBlock = 590});
  made.Add("absurd size.bin", Pattern(100, 32), {.listedSize = uint64_t{1} << 60});
  made.Add("deep/1/2/3/4/5/6/7/8/9/10/deepest.txt", "deep");
  for (int i = 0; i < 40; ++i) made.Add("many/" + std::to_string(i), "x");
  const std::vector<uint8_t> image = made.Finish();
  const FileListing listing = ListingOf(image);
  std::string problems = Problems(listing);
  EXPECT_NE(problems.find("past the end.bin: its data runs past the end of the volume; cut"),
            std::string::npos)
      << problems;
  EXPECT_NE(problems.find("absurd size.bin: part of its data is not recorded; cut"),
            std::string::npos)
      << problems;
  const auto files = FilesOf(listing, image);
  EXPECT_EQ(files.size(), 44u);
  EXPECT_TRUE(files.contains("loop/fine.txt"));
  for (const ListedFile& file : listing.files) {
    const std::string path = PathText(file.path);
    EXPECT_EQ(path.find("back to the root"), std::string::npos) << path;
    for (const FileExtent& extent : file.extents)
      EXPECT_LE(extent.offset + extent.length, image.size());
    if (path == "absurd size.bin") {
      EXPECT_EQ(file.size, 100u);
    }
    EXPECT_EQ(file.suspect, path == "past the end.bin" || path == "absurd size.bin") << path;
  }

  DirectoryLimits limits;
  limits.maxEntries = 40;
  limits.maxDepth = 8;
  const FileListing capped = ListingOf(image, {}, limits);
  problems = Problems(capped);
  EXPECT_NE(problems.find("UDF: too many directory entries; the rest is not read"),
            std::string::npos)
      << problems;
  EXPECT_LE(capped.files.size(), limits.maxEntries);
  limits.maxEntries = 1000;
  problems = Problems(ListingOf(image, {}, limits));
  EXPECT_NE(problems.find("deep/1/2/3/4/5/6/7/8: folders nested too deep; not read"),
            std::string::npos)
      << problems;
}

}  // namespace
}  // namespace orlenta
