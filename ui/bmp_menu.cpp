// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_menu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "bmp_menu_placement.h"
#include "canvas.h"
#include "system_colors.h"

namespace orlenta {
namespace {

// Width of the raised frame around the popup.
constexpr int kFrame = 3;
// How long showing the popup waits for its parent window to become the active one.
constexpr int kActivationWaitMs = 500;

// The screen area a popup anchored at `point` must stay within.
QRect DesktopAt(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 640, 480);
}

// One ring of the frame: `topLeft` along the top and left, `bottomRight` along the bottom
// and right.
void FrameRing(Canvas& canvas, const QRect& r, QRgb topLeft, QRgb bottomRight) {
  const int right = r.left() + r.width() - 1;
  const int bottom = r.top() + r.height() - 1;
  canvas.SelectPen(topLeft);
  canvas.Line({r.left(), bottom}, {r.left(), r.top()});
  canvas.Line({r.left(), r.top()}, {right, r.top()});
  canvas.SelectPen(bottomRight);
  canvas.Line({right, r.top()}, {right, bottom});
  canvas.Line({right, bottom}, {r.left() - 1, bottom});
}

// The classic raised dialog frame, kFrame pixels wide.
void DrawPopupFrame(Canvas& canvas, const QRect& rect) {
  FrameRing(canvas, rect, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
  FrameRing(canvas, rect.adjusted(1, 1, -1, -1), GetSysColor(COLOR_BTNHIGHLIGHT),
            GetSysColor(COLOR_BTNSHADOW));
  const QRgb face = GetSysColor(COLOR_BTNFACE);
  FrameRing(canvas, rect.adjusted(2, 2, -2, -2), face, face);
}

bool IsSystemKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Alt || event->key() == Qt::Key_F10 ||
         (event->modifiers() & Qt::AltModifier);
}

}  // namespace

CBmpMenu::CBmpMenu(int sideBitmapWidth, bool sideBitmapInSubmenus, const QImage& sideBitmap,
                   bool stretchSideBitmap)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      sideBitmap_(sideBitmap),
      sideBitmapInSubmenus_(sideBitmapInSubmenus),
      stretchSideBitmap_(stretchSideBitmap),
      sideBitmapWidth_(sideBitmapWidth) {
  setObjectName(QStringLiteral("BitmapMenu"));
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_DeleteOnClose, false);
}

CBmpMenu::~CBmpMenu() {
  // A popup destroyed while open (its caller unwinding) must not leave its parent pointing
  // at it.
  if (parentPopup_ != nullptr && parentPopup_->openSubmenu_ == this)
    parentPopup_->openSubmenu_ = nullptr;
}

void CBmpMenu::LoadMenu(const MenuDefinition& menu) {
  menu_ = menu;
  shown_ = &menu_;
}

bool CBmpMenu::SetMenuItemBitmaps(int positionOrCommand, unsigned flags, const QImage& unchecked,
                                  const QImage& checked) {
  return SetMenuItemPictures(menu_, positionOrCommand, flags, unchecked, checked);
}

void CBmpMenu::AttachMenu(const MenuDefinition* menu, unsigned popupFlags) {
  shown_ = menu;
  popupFlags_ = popupFlags;
}

bool CBmpMenu::TrackPopupMenu(unsigned /*flags*/, int x, int y, BmpMenuOwner* owner,
                              QWidget* parent, const QRect* exclude) {
  if (owner == nullptr || windowExists_) return false;
  owner_ = owner;
  parentWindow_ = parent;
  parentPopup_ = IsSubmenu() ? qobject_cast<CBmpMenu*>(parent) : nullptr;
  if (IsSubmenu())
    owner_->OnInitMenuPopup(*shown_);
  else
    owner_->OnInitMenu(*shown_);

  windowExists_ = true;
  loopEnded_ = false;
  chosenCommand_.reset();
  if (parentPopup_ != nullptr) parentPopup_->openSubmenu_ = this;
  strip_ = std::make_unique<CBmpMenuToolBar>(*this);
  strip_->Fill(*shown_);
  SizeAndPlace(QPoint(x, y), exclude);
  BelongTo(parent);
  if (!IsSubmenu()) BringParentToFront();
  show();
  activateWindow();
  setFocus(Qt::PopupFocusReason);
  owner_->OnEnterMenuLoop(*shown_, *this);
  // The owner hears of the first highlighted item only once the loop has been announced.
  if (popupFlags_ & kHotFirstItemFlag) strip_->SetHotItem(0);
  popupFlags_ &= ~kHotFirstItemFlag;

  RunModalLoop();

  strip_.reset();
  DestroyPopupWindow();
  if (!IsSubmenu()) PostChosenCommand();
  return true;
}

void CBmpMenu::SizeAndPlace(QPoint anchor, const QRect* exclude) {
  const QSize column = strip_->ColumnSize();
  const QSize size(column.width() + sideBitmapWidth_ + 2 * kFrame, column.height() + 2 * kFrame);
  const QRect desktop = DesktopAt(exclude != nullptr ? exclude->topLeft() : anchor);
  const QPoint topLeft = exclude != nullptr ? PlacePopupBeside(size, *exclude, desktop)
                                            : PlacePopupAtPoint(size, anchor, desktop);
  setGeometry(QRect(topLeft, size));
  strip_->setGeometry(kFrame + sideBitmapWidth_, kFrame, column.width(), column.height());
  strip_->show();
}

void CBmpMenu::BelongTo(QWidget* parent) {
  // A modal window lets input through only to the windows that belong to it; without this
  // the popup of a modal dialog would be drawn but would never see a click or a key.
  if (parent == nullptr) return;
  winId();
  QWindow* parentHandle = parent->window()->windowHandle();
  if (windowHandle() != nullptr && parentHandle != nullptr)
    windowHandle()->setTransientParent(parentHandle);
}

void CBmpMenu::BringParentToFront() {
  QWidget* front = parentWindow_ != nullptr ? parentWindow_->window() : nullptr;
  if (front == nullptr || !front->isVisible()) return;
  front->raise();
  if (QApplication::activeWindow() == front) return;
  front->activateWindow();
  // The window system answers an activation later, as an event of its own. Should that
  // answer arrive after the popup has taken the keyboard, the popup would lose it to its
  // parent and close at once; so the popup waits for it, briefly, before showing.
  const QDeadlineTimer deadline(kActivationWaitMs);
  while (QApplication::activeWindow() != front && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

void CBmpMenu::RunModalLoop() {
  if (loopEnded_) return;  // closed already while it was being shown
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
}

void CBmpMenu::EndModalLoop() {
  loopEnded_ = true;
  if (loop_ != nullptr) loop_->exit(0);
}

void CBmpMenu::DestroyPopupWindow() {
  owner_->OnExitMenuLoop();
  windowExists_ = false;
  hide();
  if (parentPopup_ != nullptr) {
    if (parentPopup_->openSubmenu_ == this) parentPopup_->openSubmenu_ = nullptr;
    parentPopup_->activateWindow();
    parentPopup_->setFocus(Qt::PopupFocusReason);
  } else if (parentWindow_ != nullptr) {
    parentWindow_->activateWindow();
  }
}

void CBmpMenu::PostChosenCommand() {
  if (!chosenCommand_) return;
  const int id = *chosenCommand_;
  chosenCommand_.reset();
  BmpMenuOwner* owner = owner_;
  // The parent window stands guard: should it be gone by then, the command is dropped.
  QObject* guard = parentWindow_ != nullptr ? static_cast<QObject*>(parentWindow_.data())
                                            : QCoreApplication::instance();
  QMetaObject::invokeMethod(
      guard, [owner, id] { owner->OnMenuCommand(id); }, Qt::QueuedConnection);
}

CBmpMenu& CBmpMenu::TopLevelPopup() {
  CBmpMenu* popup = this;
  while (popup->parentPopup_ != nullptr) popup = popup->parentPopup_;
  return *popup;
}

void CBmpMenu::CloseSubmenu() {
  if (openSubmenu_ == nullptr) return;
  CBmpMenu* submenu = openSubmenu_;
  submenu->CloseSubmenu();
  submenu->EndModalLoop();
  openSubmenu_ = nullptr;
}

void CBmpMenu::CloseChain() {
  if (!windowExists_) return;
  if (parentPopup_ != nullptr && parentPopup_->windowExists_) parentPopup_->CloseChain();
  if (!windowExists_) return;
  CloseSubmenu();
  EndModalLoop();
}

void CBmpMenu::ResetLastClicked() {
  if (strip_) strip_->ResetLastClicked();
}

void CBmpMenu::OpenSubmenuAt(QPoint stripPoint, bool fromKeyboard) {
  if (!strip_) return;
  const int index = strip_->HitTest(stripPoint);
  if (index < 0 || !strip_->Item(index).HasSubmenu()) return;
  const QRect itemRect = strip_->ItemRect(index);
  QRect exclude(strip_->mapToGlobal(itemRect.topLeft()), itemRect.size());
  exclude.setLeft(exclude.left() - sideBitmapWidth_);

  CBmpMenu submenu(sideBitmapInSubmenus_ ? sideBitmapWidth_ : 0, sideBitmapInSubmenus_,
                   sideBitmapInSubmenus_ ? sideBitmap_ : QImage(), stretchSideBitmap_);
  submenu.AttachMenu(strip_->Item(index).submenu.get(),
                     kSubmenuFlag | (fromKeyboard ? kHotFirstItemFlag : 0));
  submenu.TrackPopupMenu(0, 0, 0, owner_, this, &exclude);
}

void CBmpMenu::ChooseCommand(int id) {
  TopLevelPopup().chosenCommand_ = id;
  CloseChain();
}

void CBmpMenu::KeyDown(QKeyEvent* event) {
  if (IsSystemKey(event)) {
    CloseChain();
    event->ignore();
    return;
  }
  if (openSubmenu_ != nullptr)
    openSubmenu_->KeyDown(event);
  else if (strip_)
    strip_->KeyDown(event);
}

bool CBmpMenu::event(QEvent* event) {
  if (event->type() == QEvent::WindowDeactivate) OnDeactivated();
  return QWidget::event(event);
}

void CBmpMenu::OnDeactivated() {
  if (!IsLoopRunning()) return;
  // Activation moving to one of our own popups (a submenu opening, a click back in the
  // parent) keeps the chain; anything else, or leaving the program, dismisses it.
  QWidget* now = QApplication::activeWindow();
  if (now == nullptr || qobject_cast<CBmpMenu*>(now) == nullptr) CloseChain();
}

void CBmpMenu::keyPressEvent(QKeyEvent* event) {
  KeyDown(event);
}

void CBmpMenu::closeEvent(QCloseEvent* event) {
  // Closing the window by other means dismisses the menu; the loop's end hides it.
  CloseChain();
  event->ignore();
}

void CBmpMenu::paintEvent(QPaintEvent* /*event*/) {
  QImage image(size(), QImage::Format_RGB32);
  Canvas canvas(image);
  canvas.FillRect(image.rect(), Brush::Solid(GetSysColor(COLOR_BTNHIGHLIGHT)));
  DrawPopupFrame(canvas, image.rect());
  if (!sideBitmap_.isNull() && sideBitmapWidth_ > 0) {
    const QRect side(kFrame, kFrame, sideBitmapWidth_, height() - 2 * kFrame);
    if (stretchSideBitmap_)
      canvas.StretchBits(side, sideBitmap_, sideBitmap_.rect());
    else
      canvas.FillRect(side, Brush::Picture(sideBitmap_));
  }
  QPainter(this).drawImage(0, 0, image);
}

}  // namespace orlenta
