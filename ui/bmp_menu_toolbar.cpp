// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_menu_toolbar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "bmp_menu.h"
#include "bmp_menu_item_painter.h"
#include "bmp_menu_owner.h"
#include "bmp_menu_picture.h"

namespace orlenta {
namespace {

// Room a button keeps around its picture and text.
constexpr int kButtonPadding = 11;
// Height of a separator row.
constexpr int kSeparatorHeight = 8;

// Where the mouse was last seen over any popup's items, (0, 0) before the first move. A
// window appearing under a resting mouse gets a move to where the mouse already was; such
// a move is not the user's and must not steal the highlight from the keyboard.
QPoint& LastMousePosition() {
  static QPoint position(0, 0);
  return position;
}

// The character a key stands for, or nothing for keys without one (arrows, function keys).
std::optional<QChar> KeyCharacter(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= 0x20 && key <= 0xFFFF) return QChar(key);
  return std::nullopt;
}

}  // namespace

CBmpMenuToolBar::CBmpMenuToolBar(CBmpMenu& popup) : QWidget(&popup), popup_(popup) {
  setObjectName(QStringLiteral("BitmapMenuItems"));
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setInterval(0);
  connect(&hoverTimer_, &QTimer::timeout, this, &CBmpMenuToolBar::MouseHover);
}

CBmpMenuToolBar::~CBmpMenuToolBar() = default;

void CBmpMenuToolBar::Fill(const MenuDefinition& menu) {
  items_ = menu.items;
  menuFont_ = QApplication::font("QMenu");
  const int check = MenuCheckSize();
  const QFontMetrics metrics(menuFont_);
  int buttonWidth = 0;
  for (const MenuItem& item : items_) {
    const int textWidth = metrics.horizontalAdvance(WithoutMnemonicMarks(item.text));
    buttonWidth = std::max(buttonWidth, check + textWidth + kButtonPadding);
  }
  // Every item gets the widest button's width plus room for a submenu arrow.
  const int width = buttonWidth + check;
  const int height = std::max(check + 9, metrics.height() + 7);
  rects_.clear();
  int top = 0;
  for (const MenuItem& item : items_) {
    const int rowHeight = item.separator ? kSeparatorHeight : height;
    rects_.emplace_back(0, top, width, rowHeight);
    top += rowHeight;
  }
  hotItem_ = -1;
  update();
}

QRect CBmpMenuToolBar::ItemRect(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  return rects_[static_cast<std::size_t>(index)];
}

QSize CBmpMenuToolBar::ColumnSize() const {
  if (rects_.empty()) return {0, 0};
  return {rects_.front().width(), rects_.back().bottom() + 1 - rects_.front().top()};
}

int CBmpMenuToolBar::HitTest(QPoint point) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (rects_[static_cast<std::size_t>(i)].contains(point)) return i;
  return -1;
}

int CBmpMenuToolBar::CommandToIndex(int id) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (Item(i).commandId == id) return i;
  return -1;
}

void CBmpMenuToolBar::SetHotItem(int index) {
  if (index >= ItemCount() || index < -1) return;
  if (index >= 0 && !Item(index).IsSelectable()) return;
  if (index == hotItem_) return;
  hotItem_ = index;
  update();
  if (index >= 0) AnnounceHotItem(index);
}

void CBmpMenuToolBar::AnnounceHotItem(int index) {
  const MenuItem& item = Item(index);
  if (item.commandId == hotCommandId_) return;
  hotCommandId_ = item.commandId;
  if (BmpMenuOwner* owner = popup_.Owner())
    owner->OnMenuSelect(item.HasSubmenu() ? index : item.commandId,
                        item.HasSubmenu() ? kMenuPopupFlag : item.state, popup_.Menu());
}

void CBmpMenuToolBar::KeyDown(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      popup_.CloseChain();
      return;
    case Qt::Key_Left:
      if (CBmpMenu* parent = popup_.ParentPopup()) {
        parent->CloseSubmenu();
        parent->ResetLastClicked();
      }
      return;
    case Qt::Key_Right:
      ClickHotItem(/*onlySubmenus=*/true);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ClickHotItem(/*onlySubmenus=*/false);
      return;
    default:
      break;
  }
  if (const std::optional<QChar> character = KeyCharacter(event)) SearchMnemonic(*character);
  if (event->key() == Qt::Key_Up) MoveHotItem(-1);
  if (event->key() == Qt::Key_Down) MoveHotItem(+1);
}

void CBmpMenuToolBar::Character(QChar character) {
  SearchMnemonic(character);
}

void CBmpMenuToolBar::ClickHotItem(bool onlySubmenus) {
  if (hotCommandId_ == -1) return;
  const int index = CommandToIndex(hotCommandId_);
  if (index < 0 || (onlySubmenus && !Item(index).HasSubmenu())) return;
  lastClickedIndex_ = -1;
  ClickItem(index, kLeftButton | kKeyboardClick);
}

void CBmpMenuToolBar::ClickItem(int index, unsigned keyFlags) {
  LButtonDown(ItemRect(index).topLeft() + QPoint(1, 1), keyFlags);
}

void CBmpMenuToolBar::SearchMnemonic(QChar key) {
  std::vector<int> matches;
  for (int i = 0; i < ItemCount(); ++i) {
    const std::optional<QChar> mnemonic = MnemonicOf(Item(i).text);
    if (mnemonic && mnemonic->toUpper() == key.toUpper()) matches.push_back(i);
  }
  if (matches.empty()) {
    BmpMenuOwner* owner = popup_.Owner();
    if (owner == nullptr) return;
    const MenuCharAnswer answer = owner->OnMenuChar(key, kMenuPopupFlag, popup_.Menu());
    if (answer.action == MenuCharAnswer::kClose) popup_.CloseChain();
    if (answer.action == MenuCharAnswer::kExecute) owner->OnMenuCommand(answer.commandId);
    return;
  }
  if (matches.size() == 1) {
    SetHotItem(matches.front());
    lastClickedIndex_ = -1;
    ClickItem(matches.front(), kLeftButton);
    return;
  }
  // Several items share the key: each press moves on to the next of them, round to the
  // first. With nothing hot (-1, the largest unsigned number) the first one is next.
  const auto hot = static_cast<unsigned>(hotItem_);
  const auto next = std::find_if(matches.begin(), matches.end(),
                                 [hot](int i) { return static_cast<unsigned>(i) > hot; });
  SetHotItem(next != matches.end() ? *next : matches.front());
}

void CBmpMenuToolBar::MoveHotItem(int direction) {
  const int count = ItemCount();
  int index = hotItem_ >= 0 ? hotItem_ : (direction > 0 ? -1 : count);
  for (int step = 0; step < count; ++step) {
    index += direction;
    if (index < 0) index = count - 1;
    if (index >= count) index = 0;
    if (Item(index).IsSelectable()) {
      SetHotItem(index);
      return;
    }
  }
}

void CBmpMenuToolBar::LButtonDown(QPoint point, unsigned keyFlags) {
  const int index = HitTest(point);
  if (index < 0 || !Item(index).IsSelectable() || index == lastClickedIndex_) return;
  popup_.CloseSubmenu();
  // Activation runs from the event loop, as the click's own handling has to finish first:
  // it may open a submenu with a modal loop of its own.
  QMetaObject::invokeMethod(
      this, [this, point, keyFlags] { Activate(point, keyFlags); }, Qt::QueuedConnection);
  lastClickedIndex_ = index;
}

void CBmpMenuToolBar::Activate(QPoint point, unsigned keyFlags) {
  // A click still queued when the menu closed chooses nothing.
  if (!popup_.IsLoopRunning()) return;
  const int index = HitTest(point);
  if (index < 0) return;
  const MenuItem& item = Item(index);
  if (item.HasSubmenu())
    popup_.OpenSubmenuAt(point, (keyFlags & kKeyboardClick) != 0);
  else
    popup_.ChooseCommand(item.commandId);
}

void CBmpMenuToolBar::MouseHover() {
  if (hoverIndex_ < 0 || hoverIndex_ >= ItemCount()) return;
  if (Item(hoverIndex_).HasSubmenu()) {
    LButtonDown(hoverPoint_, kLeftButton);
  } else {
    popup_.CloseSubmenu();
    lastClickedIndex_ = -1;
  }
}

void CBmpMenuToolBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const int index = HitTest(point);
  if (index >= 0 && !Item(index).IsSelectable()) return;
  const QPoint global = event->globalPosition().toPoint();
  if (global == LastMousePosition()) return;
  LastMousePosition() = global;
  if (index >= 0 && index != hoverIndex_) {
    hoverIndex_ = index;
    hoverPoint_ = point;
    hoverTimer_.start();
  }
  SetHotItem(index);
}

void CBmpMenuToolBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) LButtonDown(event->position().toPoint(), kLeftButton);
}

void CBmpMenuToolBar::leaveEvent(QEvent* /*event*/) {
  hoverTimer_.stop();
  SetHotItem(-1);
}

QImage CBmpMenuToolBar::RenderItem(int index) const {
  return PaintMenuItem(Item(index), ItemRect(index).size(), index == hotItem_, menuFont_);
}

void CBmpMenuToolBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  for (int i = 0; i < ItemCount(); ++i)
    if (event->rect().intersects(ItemRect(i)))
      painter.drawImage(ItemRect(i).topLeft(), RenderItem(i));
}

}  // namespace orlenta
