// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/file_extents.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orlenta {
namespace {

using ExtentRun = std::pair<uint64_t, uint64_t>;  // offset, length

template <class Extents>
std::vector<ExtentRun> Runs(const Extents& extents) {
  std::vector<ExtentRun> runs;
  for (const FileExtent& extent : extents) runs.emplace_back(extent.offset, extent.length);
  return runs;
}

TEST(FileExtents, HoldsNoneOneOrManyLikeAVector) {
  for (const std::size_t count : {0u, 1u, 2u, 7u}) {
    SCOPED_TRACE(count);
    std::vector<FileExtent> wanted;
    FileExtents extents;
    for (std::size_t i = 0; i < count; ++i) {
      wanted.push_back({i * 4096, uint64_t{i % 2 == 0 ? 2048u : 0u}});
      extents.push_back(wanted.back());
    }
    EXPECT_EQ(extents.size(), count);
    EXPECT_EQ(extents.empty(), count == 0);
    EXPECT_EQ(Runs(extents), Runs(wanted));
    if (count != 0) {
      EXPECT_EQ(extents.front().offset, wanted.front().offset);
      EXPECT_EQ(extents.back().offset, wanted.back().offset);
    }
    // Copies are whole and apart from their original; a move leaves it empty.
    FileExtents copy = extents;
    FileExtents assigned;
    assigned = copy;
    if (count != 0) copy[0].length = 1;
    EXPECT_EQ(Runs(assigned), Runs(wanted));
    FileExtents moved = std::move(assigned);
    EXPECT_TRUE(assigned.empty());  // what is moved from is left empty, not half there
    EXPECT_EQ(assigned.begin(), assigned.end());
    FileExtents movedAgain;
    movedAgain = std::move(moved);
    EXPECT_TRUE(moved.empty());
    moved = std::move(movedAgain);
    EXPECT_EQ(Runs(moved), Runs(wanted));
    EXPECT_EQ(Runs(FileExtents(wanted)), Runs(wanted));
    // Taking out the empty ones keeps the others in order.
    std::vector<FileExtent> kept;
    for (const FileExtent& extent : wanted) {
      if (extent.length != 0) kept.push_back(extent);
    }
    moved.EraseIf([](const FileExtent& extent) { return extent.length == 0; });
    EXPECT_EQ(Runs(moved), Runs(kept));
    moved.clear();
    EXPECT_TRUE(moved.empty());
    moved.push_back({1, 2});
    EXPECT_EQ(Runs(moved), (std::vector<ExtentRun>{{1, 2}}));
  }
}

}  // namespace
}  // namespace orlenta
