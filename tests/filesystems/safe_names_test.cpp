// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/safe_names.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orlenta {
namespace {

TEST(SafeName, NamesFromADiscStayInsideTheirFolder) {
  const std::string longStem(300, 'a');
  struct Case {
    std::string raw;
    std::string safe;
  };
  for (const Case& c : std::vector<Case>{
           {"IMG_0042.JPG", "IMG_0042.JPG"},
           {"Été 2004.jpg", "Été 2004.jpg"},
           {"..", "_.."},
           {".", "_."},
           {"", "_"},
           {"../../etc/passwd", ".._.._etc_passwd"},
           {"a\\b", "a_b"},
           {std::string("nul\0here", 8), "nul_here"},
           {"tab\there\x7f", "tab_here_"},
           {"bad\xff\xfe utf8", "bad__ utf8"},
           {"\xc0\xaf overlong slash", "__ overlong slash"},
           {longStem + ".jpg", std::string(kMaxSafeNameBytes - 4, 'a') + ".jpg"},
       }) {
    EXPECT_EQ(SafeName(c.raw), c.safe) << c.raw;
  }
  // A cut never splits a character.
  std::string wide;
  for (int i = 0; i < 150; ++i) wide += "é";
  const std::string cut = SafeName(wide);
  EXPECT_LE(cut.size(), kMaxSafeNameBytes);
  EXPECT_EQ(cut.size() % 2, 0u);
}

TEST(NamedTree, ClashingNamesGetDistinctPlacesAndFoldersAreShared) {
  NamedTree tree;
  EXPECT_EQ(tree.Place({"Photos", "a.jpg"}), "Photos/a.jpg");
  EXPECT_EQ(tree.Place({"Photos", "a.jpg"}), "Photos/a (2).jpg");
  EXPECT_EQ(tree.Place({"PHOTOS", "A.JPG"}), "Photos/A (3).JPG");
  EXPECT_EQ(tree.Place({"photos", "b.jpg"}), "Photos/b.jpg");
  // A file and a folder of one name.
  EXPECT_EQ(tree.Place({"notes"}), "notes");
  EXPECT_EQ(tree.Place({"notes", "c.txt"}), "notes (2)/c.txt");
  // The folder's other files follow it there, not into a folder each.
  EXPECT_EQ(tree.Place({"Notes", "d.txt"}), "notes (2)/d.txt");
  EXPECT_EQ(tree.Place({"NOTES (2)"}), "NOTES (2) (2)");
  EXPECT_EQ(tree.Place({"..", "x"}), "_../x");
  EXPECT_EQ(tree.Place({"a/b", "c"}), "a_b/c");
  // A numbered name a disc lists itself is skipped, before and after the numbering passed it.
  EXPECT_EQ(tree.Place({"Photos", "a (4).jpg"}), "Photos/a (4).jpg");
  EXPECT_EQ(tree.Place({"Photos", "a.jpg"}), "Photos/a (5).jpg");
  EXPECT_EQ(tree.Place({"Photos", "a (6).jpg"}), "Photos/a (6).jpg");
  EXPECT_EQ(tree.Place({"Photos", "A.jpg"}), "Photos/A (7).jpg");
  // Paths as the listing holds them, a folder shared by its files, are placed the same way.
  const FolderRef photos = FolderIn(RootFolder(), "Photos");
  EXPECT_EQ(tree.Place(ListedPath(photos, "b.jpg")), "Photos/b (2).jpg");
  EXPECT_EQ(tree.Place(ListedPath(FolderIn(photos, "2004"), "c.jpg"), " (session 1)"),
            "Photos/2004/c (session 1).jpg");
}

TEST(NamedTree, PlacesAreKeptAsEachFolderOnceAndEachFileName) {
  NamedTree tree;
  const std::vector<std::vector<std::string>> paths = {
      {"top.txt"}, {"A", "B", "one.jpg"}, {"a", "b", "ONE.JPG"}, {"A", "two.jpg"}};
  std::vector<std::string> given;
  for (const auto& path : paths) given.push_back(tree.Place(path));
  const PlacedNames placed = tree.TakePlaced();
  EXPECT_EQ(placed.folders, (std::vector<std::string>{"", "A/", "A/B/"}));
  ASSERT_EQ(placed.nameEnds.size(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(placed.Path(i), given[i]);
  EXPECT_EQ(placed.Name(2), "ONE (2).JPG");
  // The tree starts afresh.
  EXPECT_EQ(tree.Place({"A", "two.jpg"}), "A/two.jpg");
}

TEST(NamedTree, AFolderOfThousandsOfOneNameIsPlacedInLinearTime) {
  // A hostile directory may list a million entries of one name: trying " (2)", " (3)", ...
  // afresh for each would take hours.
  NamedTree tree;
  constexpr int kCount = 20000;
  const auto start = std::chrono::steady_clock::now();
  std::string last;
  for (int i = 0; i < kCount; ++i) last = tree.Place({"DCIM", "IMG.JPG"});
  EXPECT_EQ(last, "DCIM/IMG (" + std::to_string(kCount) + ").JPG");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ListedPath, ReadsAsItsNamesFromTheRoot) {
  const FolderRef root = RootFolder();
  const FolderRef holiday = FolderIn(root, "Holiday 2004");
  const FolderRef day = FolderIn(holiday, "Day 1");
  struct Case {
    ListedPath path;
    std::vector<std::string> names;
  };
  for (const Case& c : std::vector<Case>{
           {ListedPath(), {}},
           {ListedPath(root, "a.jpg"), {"a.jpg"}},
           {ListedPath(day, "IMG_0042.JPG"), {"Holiday 2004", "Day 1", "IMG_0042.JPG"}},
           {ListedPath(std::vector<std::string>{"x", "y", "z"}), {"x", "y", "z"}},
           {ListedPath(std::vector<std::string>{""}), {""}},
       }) {
    EXPECT_EQ(c.path.Names(), c.names);
    EXPECT_EQ(c.path.size(), c.names.size());
    EXPECT_EQ(PathText(c.path), PathText(c.names));
    if (!c.names.empty()) {
      EXPECT_EQ(c.path.back(), c.names.back());
    }
  }
  EXPECT_EQ(PathText(*day), "Holiday 2004/Day 1");
  EXPECT_EQ(PathText(*root), "");
}

}  // namespace
}  // namespace orlenta
