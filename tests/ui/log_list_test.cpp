// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/log_list.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <functional>

namespace orlenta {
namespace {

TEST(ElideFolderPart, KeepsTheWordsBeforeThePathAndTheFileNameWhole) {
  const QFontMetrics metrics(QFont("DejaVu Sans", 8));
  const QString name = "/00012REC.jpg";
  const QString longFolder = "/home/someone/" + QString(60, 'x') + "/RecoveredByQuarn";
  const struct {
    QString line;
    int width;
    QString starts;  // what the shown line must start with
    QString ends;    // and end with
  } cases[] = {
      {"File recovered: " + longFolder + name, 290, "File recovered: /", name},
      {"Datei wiederhergestellt: " + longFolder + name, 290, "Datei wiederhergestellt: /", name},
      {"Fichier récupéré : " + longFolder + name, 200, "Fichier récupéré : /", name},
      {"no path at all, only words that run on and on past the edge", 120, "no", "edge"},
  };
  for (const auto& c : cases) {
    const QString shown = ElideFolderPart(c.line, metrics, c.width);
    EXPECT_LE(metrics.horizontalAdvance(shown), c.width) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(c.starts)) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(c.ends)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  }
  const QString fits = "File recovered: /a/1REC.jpg";
  EXPECT_EQ(ElideFolderPart(fits, metrics, 290), fits);
}

TEST(LogList, FollowsNewLinesUnlessScrolledUpAndTellsEachWholeLine) {
  LogList list;
  list.resize(290, 160);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  const QString line = "File recovered: /home/someone/" + QString(80, 'x') + "/1REC.jpg";
  for (int i = 0; i < 40; ++i) list.AddLine(line);
  QScrollBar* bar = list.verticalScrollBar();
  const auto atEnd = [bar] { return bar->maximum() > 0 && bar->value() == bar->maximum(); };
  EXPECT_TRUE(QTest::qWaitFor(atEnd, 1000));
  EXPECT_EQ(list.item(39)->toolTip(), line);
  // Nothing to scroll sideways to: each line is shortened to the list's width.
  EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
  EXPECT_LE(list.visualItemRect(list.item(39)).width(), list.viewport()->width());

  bar->setValue(3);  // the user reads an earlier line
  list.AddLine(line);
  QTest::qWait(50);
  EXPECT_EQ(bar->value(), 3);
  bar->setValue(bar->maximum());  // and comes back down
  const int before = bar->maximum();
  list.AddLine(line);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > before; }, 1000));
  EXPECT_EQ(bar->value(), bar->maximum());
}

// Rows of the list's viewport, painted now, that hold any dark pixel: 0 when it shows no line.
int RowsWithText(LogList& list) {
  const QImage image = list.viewport()->grab().toImage();
  int rows = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 100) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

TEST(LogList, APaintRightAfterANewLineShowsTheLines) {
  LogList list;
  list.resize(290, 160);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  QScrollBar* bar = list.verticalScrollBar();
  const struct {
    const char* what;
    int linesBefore;
    int scrolledTo;  // -1: at the end, following
  } cases[] = {
      {"the first line of an empty list", 0, -1},
      {"a line while following", 30, -1},
      {"a line while the user reads earlier ones", 30, 2},
  };
  for (const auto& c : cases) {
    list.clear();
    for (int i = 0; i < c.linesBefore; ++i)
      list.AddLine(QString("File recovered: /a/%1REC.jpg").arg(i));
    QTest::qWait(20);
    if (c.scrolledTo >= 0) bar->setValue(c.scrolledTo);
    QTest::qWait(20);
    // The paint comes before anything queued has run, as when a run's read lets the window
    // repaint straight after the carver told of a file.
    list.AddLine("File recovered: /a/99REC.jpg");
    EXPECT_GT(RowsWithText(list), 5) << c.what;
  }
}

}  // namespace
}  // namespace orlenta
