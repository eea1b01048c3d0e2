// SPDX-License-Identifier: GPL-3.0-or-later
// When the reader lowers a drive's speed after read errors, and to what.
#include "platform/drives/speed_lowering.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace orlenta {
namespace {

struct LoweringCase {
  const char* what;
  std::optional<int> asked;
  int failures;
  std::optional<int> refusedAt;  // the speed the drive refuses, if any
  std::vector<int> expected;     // every speed asked for, in order
};

TEST(SpeedLowering, HalvesAtTheFirstFailureAndEveryEighthAfterDownToTheFloor) {
  const LoweringCase cases[] = {
      {"one failure, the drive's own speed", std::nullopt, 1, std::nullopt, {8}},
      {"the drive's own speed, many failures", std::nullopt, 40, std::nullopt, {8, 4, 2}},
      {"failures 2 to 8 change nothing", std::nullopt, 8, std::nullopt, {8}},
      {"the ninth lowers again", std::nullopt, 9, std::nullopt, {8, 4}},
      {"a fast speed asked", 24, 100, std::nullopt, {12, 6, 3, 2}},
      {"an odd speed asked", 3, 20, std::nullopt, {2}},
      {"the floor asked", 2, 50, std::nullopt, {}},
      {"below the floor asked: never raised", 1, 50, std::nullopt, {}},
      {"the drive refuses: asked once only", std::nullopt, 40, 8, {8}},
      {"the drive refuses later", 16, 40, 4, {8, 4}},
  };
  for (const LoweringCase& c : cases) {
    SpeedLowering lowering(c.asked);
    std::vector<int> asked;
    for (int i = 0; i < c.failures; ++i) {
      if (const std::optional<int> speed = lowering.ReadFailed()) {
        asked.push_back(*speed);
        if (speed == c.refusedAt) lowering.Refused();
      }
    }
    EXPECT_EQ(asked, c.expected) << c.what;
  }
}

}  // namespace
}  // namespace orlenta
