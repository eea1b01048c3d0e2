// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/index_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlenta {
namespace {

TEST(IndexTable, FindsEveryNumberByItsKeyThroughCollisionsAndGrowth) {
  // Keys with few distinct hashes, so that most numbers share a chain with others.
  struct Case {
    const char* what;
    uint64_t (*hash)(uint32_t key);
  };
  for (const Case& c : std::vector<Case>{
           {"spread", [](uint32_t key) { return uint64_t{key} * 2654435761u; }},
           {"seven hashes", [](uint32_t key) { return uint64_t{key % 7}; }},
           {"one hash", [](uint32_t) { return uint64_t{42}; }},
       }) {
    SCOPED_TRACE(c.what);
    std::vector<uint32_t> keys;  // number -> key
    IndexTable table;
    auto hashOf = [&](uint32_t number) { return c.hash(keys[number]); };
    for (uint32_t number = 0; number < 3000; ++number) {
      keys.push_back(number * 3 + 1);
      table.Add(number, c.hash(keys.back()), hashOf);
    }
    EXPECT_EQ(table.size(), keys.size());
    for (uint32_t number = 0; number < keys.size(); number += 97) {
      const uint32_t key = keys[number];
      EXPECT_EQ(table.Find(c.hash(key), [&](uint32_t n) { return keys[n] == key; }), number);
    }
    EXPECT_EQ(table.Find(c.hash(2), [&](uint32_t n) { return keys[n] == 2; }), std::nullopt);
  }
  EXPECT_EQ(IndexTable().Find(0, [](uint32_t) { return true; }), std::nullopt);
}

TEST(IndexTable, FoldedHashIgnoresTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(FoldedHash("IMG_0042.JPG"), FoldedHash("img_0042.jpg"));
  EXPECT_NE(FoldedHash("Été"), FoldedHash("été"));
  EXPECT_NE(FoldedHash("a", 1), FoldedHash("a", 2));
}

}  // namespace
}  // namespace orlenta
