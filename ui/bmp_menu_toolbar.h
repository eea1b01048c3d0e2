// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "menu_definition.h"

class QKeyEvent;

namespace orlenta {

class CBmpMenu;

// The column of items inside a bitmap menu popup. It keeps its own copy of the items,
// draws them, follows the mouse with a highlighted ("hot") item, and turns clicks, hovers
// and keys into choosing a command or opening a submenu through its popup.
class CBmpMenuToolBar : public QWidget {
  Q_OBJECT

 public:
  // Key flags of a click: the left button, and the mark of clicks made by Enter and Right.
  static constexpr unsigned kLeftButton = 0x1;
  static constexpr unsigned kKeyboardClick = 0x100;

  explicit CBmpMenuToolBar(CBmpMenu& popup);
  ~CBmpMenuToolBar() override;

  // Takes a copy of the items of `menu` and lays them out as one column of equal width.
  void Fill(const MenuDefinition& menu);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  const MenuItem& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  // The item's area in strip coordinates; empty for an index out of range.
  QRect ItemRect(int index) const;
  // Width and height of the whole column.
  QSize ColumnSize() const;
  // The item under `point`, or -1.
  int HitTest(QPoint point) const;
  // The first item sending command `id`, or -1.
  int CommandToIndex(int id) const;

  // The highlighted item, -1 for none. Greyed, disabled and separator items never become
  // hot; asking for one changes nothing.
  int HotItem() const { return hotItem_; }
  void SetHotItem(int index);
  // The command of the item last highlighted, -1 before any; kept while the popup is open.
  int HotCommandId() const { return hotCommandId_; }
  // The item last activated by a click; a second click on it is ignored until this is
  // reset.
  int LastClickedIndex() const { return lastClickedIndex_; }
  void ResetLastClicked() { lastClickedIndex_ = -1; }
  int HoverIndex() const { return hoverIndex_; }
  QPoint HoverPoint() const { return hoverPoint_; }
  const QFont& MenuFont() const { return menuFont_; }

  // A key pressed while the popup has the keyboard.
  void KeyDown(QKeyEvent* event);
  // A typed character: picks an item by its mnemonic.
  void Character(QChar character);
  // A left-button press at `point` with key flags `keyFlags`: activates the item there
  // from the event loop, unless it cannot be chosen or was the last one clicked.
  void LButtonDown(QPoint point, unsigned keyFlags);

  // Item `index` as it would be drawn now.
  QImage RenderItem(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void MouseHover();
  void Activate(QPoint point, unsigned keyFlags);
  void ClickHotItem(bool onlySubmenus);
  void ClickItem(int index, unsigned keyFlags);
  void SearchMnemonic(QChar key);
  void MoveHotItem(int direction);
  void AnnounceHotItem(int index);

  CBmpMenu& popup_;
  std::vector<MenuItem> items_;
  std::vector<QRect> rects_;
  QFont menuFont_;
  int hotItem_ = -1;
  int hotCommandId_ = -1;
  int lastClickedIndex_ = -1;
  QPoint hoverPoint_{-1, -1};
  int hoverIndex_ = -1;
  QTimer hoverTimer_;  // stands for the mouse resting on the item where it last arrived
};

}  // namespace orlenta
