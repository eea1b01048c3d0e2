// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <gtest/gtest.h>

namespace orlenta {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Time = std::chrono::steady_clock::time_point;

class ProgressLineTest : public ::testing::Test {
 protected:
  Time now_{};
  ProgressLine line_{[this] { return now_; }, milliseconds(250), seconds(5)};

  ProgressSample At(uint64_t sectorsRead, uint64_t position = 0) {
    return {position, 1000000, sectorsRead, 2048, 3};
  }
};

TEST_F(ProgressLineTest, RefreshesAtMostFourTimesASecond) {
  EXPECT_TRUE(line_.Update(At(0)));
  now_ += milliseconds(100);
  EXPECT_FALSE(line_.Update(At(10)));
  now_ += milliseconds(150);
  EXPECT_TRUE(line_.Update(At(20)));
}

TEST_F(ProgressLineTest, RateComesFromTheLastSecondsOnly) {
  // Ten slow seconds over bad sectors, then five fast ones: the rate shown is the fast one.
  uint64_t read = 0;
  for (int i = 0; i < 10; ++i, now_ += seconds(1)) line_.Update(At(read += 1));
  for (int i = 0; i < 6; ++i, now_ += seconds(1)) line_.Update(At(read += 50000));
  ASSERT_TRUE(line_.Rate());
  EXPECT_NEAR(*line_.Rate(), 50000.0 * 2048, 1.0);
}

TEST_F(ProgressLineTest, NoRateBeforeTimeHasPassed) {
  line_.Update(At(100));
  EXPECT_FALSE(line_.Rate());
  EXPECT_NE(line_.Render(At(100)).find("--.- MB/s"), std::string::npos);
}

TEST_F(ProgressLineTest, ShowsPercentRateTimeLeftAndFiles) {
  line_.Update(At(0, 0));
  now_ += seconds(1);
  // 500,000 sectors of 2,048 bytes a second: 1,024 MB/s; half of 1,000,000 sectors left.
  const std::string text = *line_.Update(At(500000, 500000));
  EXPECT_NE(text.find(" 50%"), std::string::npos) << text;
  EXPECT_NE(text.find("1024.0 MB/s"), std::string::npos) << text;
  EXPECT_NE(text.find("ETA 0:01"), std::string::npos) << text;
  EXPECT_NE(text.find("3 files"), std::string::npos) << text;
}

TEST(FormatDurationTest, MinutesHoursAndNonsense) {
  EXPECT_EQ(FormatDuration(0), "0:00");
  EXPECT_EQ(FormatDuration(83), "1:23");
  EXPECT_EQ(FormatDuration(3723), "1:02:03");
  EXPECT_EQ(FormatDuration(1e12), ">99h");
  EXPECT_EQ(FormatDuration(std::numeric_limits<double>::infinity()), ">99h");
}

}  // namespace
}  // namespace orlenta
