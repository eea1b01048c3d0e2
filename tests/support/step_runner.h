// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

namespace orlenta {

// Runs test steps from the event loop, `delayMs` apart, for code that runs loops of its
// own (a modal dialog, a popup menu). The next step is scheduled before the current one
// runs, so a step that ends up inside a nested loop does not hold up the rest; but a step
// never starts while the one before is still busy outside such a loop (a test click that
// lets pending events through), so each step sees what the one before has done.
class StepRunner : public QObject {
 public:
  using Step = std::function<void()>;

  explicit StepRunner(std::vector<Step> steps, int delayMs = 30)
      : steps_(std::move(steps)), delayMs_(delayMs) {
    Schedule();
  }

 private:
  void Schedule() {
    QTimer::singleShot(delayMs_, this, [this] { RunNext(); });
  }
  void RunNext() {
    if (next_ >= steps_.size()) return;
    if (busyAtLevel_ >= 0 && LoopLevel() <= busyAtLevel_) {
      Schedule();
      return;
    }
    const std::size_t current = next_++;
    if (next_ < steps_.size()) Schedule();
    const int outer = busyAtLevel_;
    busyAtLevel_ = LoopLevel();
    steps_[current]();
    busyAtLevel_ = outer;
  }
  static int LoopLevel() { return QThread::currentThread()->loopLevel(); }

  std::vector<Step> steps_;
  int delayMs_;
  std::size_t next_ = 0;
  int busyAtLevel_ = -1;  // the loop level a running step started at; -1 when none runs
};

}  // namespace orlenta
