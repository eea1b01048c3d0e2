// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace orlenta {

// State bits of a menu item, with the values the classic menu calls use, so that an owner
// reading them sees familiar numbers.
enum MenuItemState : unsigned {
  kMenuItemGrayed = 0x1,    // drawn grey and cannot be chosen
  kMenuItemDisabled = 0x2,  // drawn normally but cannot be chosen
  kMenuItemChecked = 0x8,   // shows its checked picture (or a check mark)
};

// How SetMenuItemBitmaps finds its item.
inline constexpr unsigned BmpMenuByCommand = 0x0;
inline constexpr unsigned BmpMenuByPosition = 0x400;

struct MenuDefinition;

// One entry of a menu: text with an optional "&" before its mnemonic, the command it sends,
// its state, and either a submenu or (when chosen) its command. Copies are deep: a copied
// item owns its own copy of the submenu.
struct MenuItem {
  QString text;
  int commandId = 0;
  unsigned state = 0;
  bool separator = false;
  std::unique_ptr<MenuDefinition> submenu;
  QImage checkedPicture;    // shown when checked; a check mark stands in when null
  QImage uncheckedPicture;  // shown when not checked; nothing when null

  MenuItem() = default;
  MenuItem(QString text, int commandId, unsigned state = 0);
  MenuItem(const MenuItem& other);
  MenuItem& operator=(const MenuItem& other);
  MenuItem(MenuItem&&) noexcept = default;
  MenuItem& operator=(MenuItem&&) noexcept = default;
  ~MenuItem();

  bool HasSubmenu() const { return submenu != nullptr; }
  bool IsGrayed() const { return (state & kMenuItemGrayed) != 0; }
  bool IsChecked() const { return (state & kMenuItemChecked) != 0; }
  // Greyed or disabled items cannot be hot and cannot be chosen.
  bool IsSelectable() const {
    return !separator && (state & (kMenuItemGrayed | kMenuItemDisabled)) == 0;
  }
};

// The items of one menu, top to bottom: what a popup shows.
struct MenuDefinition {
  std::vector<MenuItem> items;
};

// An item that opens `submenu` instead of sending a command.
MenuItem SubmenuItem(QString text, MenuDefinition submenu, int commandId = 0);
// A separator line.
MenuItem SeparatorItem();

// The character after the first "&" of `text`, or nothing when there is no "&" or it ends
// the text.
std::optional<QChar> MnemonicOf(const QString& text);
// `text` as shown: each "&" that marks a mnemonic is dropped and "&&" becomes "&".
QString WithoutMnemonicMarks(const QString& text);

// Sets the pictures of one item of `menu`, found by position or (searching submenus too)
// by command; false when there is no such item.
bool SetMenuItemPictures(MenuDefinition& menu, int positionOrCommand, unsigned flags,
                         const QImage& unchecked, const QImage& checked);

// The Language button's menu: the six languages in their order, commands 32771..32776.
MenuDefinition LanguageMenuDefinition();

}  // namespace orlenta
