// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>

namespace orlenta {

class CBmpMenu;
struct MenuDefinition;

// An owner's answer to a key that matched no item.
struct MenuCharAnswer {
  enum Action { kIgnore = 0, kClose = 1, kExecute = 2 };
  Action action = kIgnore;
  int commandId = 0;  // the command to run for kExecute
};

// Item flag given to the owner for items that open a submenu.
inline constexpr unsigned kMenuPopupFlag = 0x10;

// The window a bitmap menu reports to, as a system menu reports to its owner window. Every
// notification has an empty default, so an owner handles only what it needs; all arrive
// synchronously on the user-interface thread, except OnMenuCommand for a chosen item,
// which arrives from the event loop after TrackPopupMenu has returned.
class BmpMenuOwner {
 public:
  virtual ~BmpMenuOwner() = default;

  // A top-level popup of `menu` is about to appear.
  virtual void OnInitMenu(const MenuDefinition& /*menu*/) {}
  // A submenu popup of `menu` is about to appear.
  virtual void OnInitMenuPopup(const MenuDefinition& /*menu*/) {}
  // `popup` is on screen and about to run its modal loop.
  virtual void OnEnterMenuLoop(const MenuDefinition& /*menu*/, CBmpMenu& /*popup*/) {}
  // A popup is going away.
  virtual void OnExitMenuLoop() {}
  // An item became highlighted: `idOrIndex` is its command id, or its position for an
  // item with a submenu; `flags` its state bits, or kMenuPopupFlag for a submenu item.
  virtual void OnMenuSelect(int /*idOrIndex*/, unsigned /*flags*/, const MenuDefinition& /*menu*/) {
  }
  // Key `key` matched no item's mnemonic; `flags` is kMenuPopupFlag.
  virtual MenuCharAnswer OnMenuChar(QChar /*key*/, unsigned /*flags*/,
                                    const MenuDefinition& /*menu*/) {
    return {};
  }
  // Command `id` was chosen.
  virtual void OnMenuCommand(int /*id*/) {}
};

}  // namespace orlenta
