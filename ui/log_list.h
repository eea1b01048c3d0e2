// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFontMetrics>
#include <QListWidget>
#include <QString>

namespace orlenta {

// `text` made to fit `width` pixels in `metrics`: a line naming a file ("File recovered:
// /home/me/RecoveredByQuarn/00012REC.jpg") loses letters from the middle of its folder
// part, so that the words before the path and the file's own name stay whole; any other
// line loses letters from its middle. Unchanged when it fits.
QString ElideFolderPart(const QString& text, const QFontMetrics& metrics, int width);

// The window's log: one line per entry, each shown whole within the list's width (long
// paths shortened in the middle of their folders, the whole line in the item's tooltip),
// and the list follows new lines as they come unless the user has scrolled up to read.
class LogList final : public QListWidget {
  Q_OBJECT

 public:
  explicit LogList(QWidget* parent = nullptr);

  void AddLine(const QString& line);
};

}  // namespace orlenta
