// SPDX-License-Identifier: GPL-3.0-or-later
#include "off_thread_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <atomic>
#include <thread>

namespace orlenta {

void WaitOffWindowThread(const std::function<void()>& work) {
  QAbstractEventDispatcher* const dispatcher = QAbstractEventDispatcher::instance();
  if (!QCoreApplication::instance() || !dispatcher) {
    work();
    return;
  }
  std::atomic<bool> done = false;
  std::thread worker([&work, &done, dispatcher] {
    work();
    done.store(true, std::memory_order_release);
    // Ends the wait for events below; a wake-up that comes before the wait is kept.
    dispatcher->wakeUp();
  });
  while (!done.load(std::memory_order_acquire)) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  worker.join();
}

}  // namespace orlenta
