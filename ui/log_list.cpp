// SPDX-License-Identifier: GPL-3.0-or-later
#include "log_list.h"

#include <QScrollBar>
#include <QStyledItemDelegate>

namespace orlenta {
namespace {

const QString kEllipsis = QStringLiteral("\u2026");

// Paints each line shortened to the width of the list, so that no line runs out of sight.
class ElidingDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto* view = qobject_cast<const QAbstractItemView*>(option->widget);
    if (!view) return;
    const int width = view->viewport()->width() - 2 * kTextMargin;
    option->text = ElideFolderPart(option->text, option->fontMetrics, width);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // Never wider than the list: there is nothing to scroll sideways to.
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
      size.setWidth(std::min(size.width(), view->viewport()->width()));
    return size;
  }

 private:
  static constexpr int kTextMargin = 4;  // the style's room on each side of an item's text
};

}  // namespace

QString ElideFolderPart(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const qsizetype firstSlash = text.indexOf(QLatin1Char('/'));
  const qsizetype lastSlash = text.lastIndexOf(QLatin1Char('/'));
  if (firstSlash < 0 || lastSlash <= firstSlash)
    return metrics.elidedText(text, Qt::ElideMiddle, width);
  const QString head = text.left(firstSlash + 1);
  const QString folders = text.mid(firstSlash + 1, lastSlash - firstSlash - 1);
  const QString tail = text.mid(lastSlash);
  // Letters go from the middle of the folders, one at a time, until the line fits.
  for (qsizetype kept = folders.size() - 1; kept >= 0; --kept) {
    const qsizetype left = (kept + 1) / 2;
    const QString line = head + folders.left(left) + kEllipsis + folders.right(kept - left) + tail;
    if (metrics.horizontalAdvance(line) <= width) return line;
  }
  // Not even the name fits: it keeps what it can of both ends.
  return metrics.elidedText(head + kEllipsis + tail, Qt::ElideMiddle, width);
}

LogList::LogList(QWidget* parent) : QListWidget(parent) {
  // One line per recovered file: a disc can give thousands. Lines of one height are laid
  // out without measuring each text again at every repaint.
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setItemDelegate(new ElidingDelegate(this));
}

void LogList::AddLine(const QString& line) {
  const QScrollBar* bar = verticalScrollBar();
  const bool following = bar->value() == bar->maximum();
  auto* item = new QListWidgetItem(line);
  item->setToolTip(line);
  addItem(item);
  // A new line throws away where the list had laid out its lines, and lays them out again
  // only once the events queued before it are handled: a repaint among those would show an
  // empty list. Laid out here, every repaint shows the lines already given.
  executeDelayedItemsLayout();
  if (following) scrollToBottom();
}

}  // namespace orlenta
