// SPDX-License-Identifier: GPL-3.0-or-later
// The window during reads that take seconds, as on a scratched disc in a worn drive. It
// runs in its own process with the damaged-drive library loaded over a disc image whose
// sector 150 fails after 3 s (see CMakeLists.txt); elsewhere it is skipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <optional>

#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest time the window's thread went without handling a timer event that is due
// every 10 ms: how long a paint, a hover or a click would have waited.
class GapMeter {
 public:
  GapMeter() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Clock::time_point now = Clock::now();
      longest_ = std::max(longest_, std::chrono::duration_cast<milliseconds>(now - last_));
      last_ = now;
    });
    last_ = Clock::now();
    timer_.start();
  }
  milliseconds Longest() const { return longest_; }

 private:
  QTimer timer_;
  Clock::time_point last_;
  milliseconds longest_{0};
};

milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

class WindowDuringBadReads : public WindowTest {
 protected:
  void SetUp() override {
    if (!std::getenv("ORLENTA_DAMAGED_IMAGE"))
      GTEST_SKIP() << "runs only with the damaged-drive library loaded";
    MapDrive('E', std::getenv("ORLENTA_DAMAGED_IMAGE"));
  }
};

TEST_F(WindowDuringBadReads, AnswersAsWhenIdleAndStopsWhenTheReadReturns) {
  StartWindow();
  ClickTreeItem(DriveItem(0));

  milliseconds idleGap{};
  {
    GapMeter idle;
    QTest::qWait(400);
    idleGap = idle.Longest();
  }

  // The run's first read fails after 3 s. From a moment after Stop shows, the window's
  // answers are timed for a second, with nothing but the read going on; then Stop is pressed,
  // still in the middle of that read. (A click has pauses of its own: the button's pressed
  // look is held for a moment, idle or not.)
  std::optional<GapMeter> duringRead;
  milliseconds readGap{};
  QElapsedTimer sinceStopShown;
  Clock::time_point stopPressed{};
  QTimer stopper;
  stopper.setInterval(20);
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (!Visible(kStopButtonId) || stopPressed != Clock::time_point{}) return;
    if (!sinceStopShown.isValid()) sinceStopShown.start();
    if (sinceStopShown.elapsed() < 200) return;
    if (!duringRead) duringRead.emplace();
    if (sinceStopShown.elapsed() < 1200) return;
    readGap = duringRead->Longest();
    stopPressed = Clock::now();
    Click(kStopButtonId);
  });
  stopper.start();
  Click(kStartButtonId);
  const milliseconds stopTook = Since(stopPressed);

  std::printf(
      "longest gap between handled events: idle %lld ms, during a 3 s failing read %lld ms\n",
      static_cast<long long>(idleGap.count()), static_cast<long long>(readGap.count()));
  RecordProperty("idle_gap_ms", static_cast<int>(idleGap.count()));
  RecordProperty("bad_read_gap_ms", static_cast<int>(readGap.count()));
  ASSERT_NE(stopPressed, Clock::time_point{});
  EXPECT_LT(readGap, std::max(milliseconds(100), 4 * idleGap));
  // Stop was heard while the read went on, and took effect once it had returned.
  EXPECT_GE(stopTook, milliseconds(1000));
  EXPECT_LT(stopTook, milliseconds(3000));
  EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Recovery process aborted!", "Orlenta"}));
  EXPECT_TRUE(Visible(kStartButtonId));
}

}  // namespace
}  // namespace orlenta
