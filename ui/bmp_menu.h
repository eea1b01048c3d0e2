// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <memory>
#include <optional>

#include "bmp_menu_owner.h"
#include "bmp_menu_toolbar.h"
#include "menu_definition.h"

class QEventLoop;

namespace orlenta {

// Our own popup menu: a small top-most tool window showing the items of a menu as one
// column of pictures and texts, with an optional picture strip down its left side. It runs
// a modal loop of its own until an item is chosen or the menu is dismissed, opens submenus
// as nested popups with nested loops, and reports to its owner as a system menu would; the
// chosen command reaches the owner from the event loop after TrackPopupMenu has returned.
//
// The caller keeps the object (usually on the stack of a handler), loads a menu into it,
// shows it once and destroys it. The object has no Qt parent, so nothing but the caller
// ever deletes it; its window still belongs to the window it is shown for, so that a modal
// dialog lets input through to it.
class CBmpMenu : public QWidget {
  Q_OBJECT

 public:
  // Popup flags: this popup is a submenu; make the first item hot when shown.
  static constexpr unsigned kSubmenuFlag = 0x1;
  static constexpr unsigned kHotFirstItemFlag = 0x100;

  // `sideBitmapWidth` pixels of `sideBitmap` (stretched, or else tiled) run down the left
  // edge; 0 or a null picture means no strip. `sideBitmapInSubmenus` passes the strip on
  // to submenus.
  CBmpMenu(int sideBitmapWidth, bool sideBitmapInSubmenus, const QImage& sideBitmap,
           bool stretchSideBitmap);
  ~CBmpMenu() override;

  // Takes a copy of `menu` as the items to show.
  void LoadMenu(const MenuDefinition& menu);
  // Sets the pictures of an item of the loaded menu, found by position (BmpMenuByPosition)
  // or by command; false when there is no such item.
  bool SetMenuItemBitmaps(int positionOrCommand, unsigned flags, const QImage& unchecked,
                          const QImage& checked);
  // The items being shown: the loaded menu, or for a submenu its parent item's submenu.
  const MenuDefinition& Menu() const { return *shown_; }

  // Shows the popup at screen point (x, y) (or, with `exclude`, beside that screen
  // rectangle without covering it), runs its modal loop until it closes, and returns true.
  // `owner` receives the notifications and the chosen command; `parent` is the window the
  // popup belongs to, which gets the activation back afterwards. False, with nothing shown
  // and nothing sent, when there is no owner or the popup is already showing. `flags` is
  // not used.
  bool TrackPopupMenu(unsigned flags, int x, int y, BmpMenuOwner* owner, QWidget* parent,
                      const QRect* exclude);

  // Closes the submenu open from this popup (and any open from it).
  void CloseSubmenu();
  // Closes every popup of the chain this one belongs to, from the top-level one down.
  void CloseChain();
  // Lets the item last clicked in this popup be clicked again.
  void ResetLastClicked();
  // Opens the submenu of the item under `stripPoint` (item strip coordinates) and returns
  // when it has closed; `fromKeyboard` makes its first item hot.
  void OpenSubmenuAt(QPoint stripPoint, bool fromKeyboard);
  // Closes the chain; the owner gets command `id` once the top-level TrackPopupMenu has
  // returned.
  void ChooseCommand(int id);
  // A key pressed while this popup has the keyboard: it goes to the innermost open
  // submenu's items.
  void KeyDown(QKeyEvent* event);

  bool IsSubmenu() const { return (popupFlags_ & kSubmenuFlag) != 0; }
  bool IsLoopRunning() const { return windowExists_ && !loopEnded_; }
  BmpMenuOwner* Owner() const { return owner_; }
  CBmpMenu* OpenSubmenu() const { return openSubmenu_; }
  CBmpMenu* ParentPopup() const { return parentPopup_; }
  CBmpMenuToolBar* Strip() const { return strip_.get(); }
  int SideBitmapWidth() const { return sideBitmapWidth_; }
  const QImage& SideBitmap() const { return sideBitmap_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void AttachMenu(const MenuDefinition* menu, unsigned popupFlags);
  void SizeAndPlace(QPoint anchor, const QRect* exclude);
  // Makes the popup's window one of `parent`'s, for the window system and for modality.
  void BelongTo(QWidget* parent);
  // Raises the parent window and makes it the active one before a top-level popup shows.
  void BringParentToFront();
  void RunModalLoop();
  void EndModalLoop();
  void DestroyPopupWindow();
  void OnDeactivated();
  void PostChosenCommand();
  CBmpMenu& TopLevelPopup();

  BmpMenuOwner* owner_ = nullptr;
  CBmpMenu* openSubmenu_ = nullptr;
  QImage sideBitmap_;
  bool sideBitmapInSubmenus_ = false;
  bool stretchSideBitmap_ = false;
  int sideBitmapWidth_ = 0;
  unsigned popupFlags_ = 0;
  std::unique_ptr<CBmpMenuToolBar> strip_;

  MenuDefinition menu_;
  const MenuDefinition* shown_ = &menu_;
  QPointer<QWidget> parentWindow_;
  CBmpMenu* parentPopup_ = nullptr;
  QEventLoop* loop_ = nullptr;
  bool loopEnded_ = false;
  bool windowExists_ = false;
  std::optional<int> chosenCommand_;
};

}  // namespace orlenta
