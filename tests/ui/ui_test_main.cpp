// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/system_colors.h"

// Widgets need an application object; the fixed classic colours make pixels predictable
// whatever desktop the tests run on.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  orlenta::UseClassicSystemColors();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
