// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/safe_names.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(tree.Place({"..", "x"}), "_../x");
  EXPECT_EQ(tree.Place({"a/b", "c"}), "a_b/c");
}

}  // namespace
}  // namespace orlenta
