// SPDX-License-Identifier: GPL-3.0-or-later
#include "menu_definition.h"

#include <utility>

namespace orlenta {

MenuItem::MenuItem(QString text, int commandId, unsigned state)
    : text(std::move(text)), commandId(commandId), state(state) {}

MenuItem::MenuItem(const MenuItem& other)
    : text(other.text),
      commandId(other.commandId),
      state(other.state),
      separator(other.separator),
      submenu(other.submenu ? std::make_unique<MenuDefinition>(*other.submenu) : nullptr),
      checkedPicture(other.checkedPicture),
      uncheckedPicture(other.uncheckedPicture) {}

MenuItem& MenuItem::operator=(const MenuItem& other) {
  if (this != &other) *this = MenuItem(other);
  return *this;
}

MenuItem::~MenuItem() = default;

MenuItem SubmenuItem(QString text, MenuDefinition submenu, int commandId) {
  MenuItem item(std::move(text), commandId);
  item.submenu = std::make_unique<MenuDefinition>(std::move(submenu));
  return item;
}

MenuItem SeparatorItem() {
  MenuItem item;
  item.separator = true;
  return item;
}

std::optional<QChar> MnemonicOf(const QString& text) {
  const qsizetype amp = text.indexOf(QLatin1Char('&'));
  if (amp < 0 || amp + 1 >= text.size()) return std::nullopt;
  return text.at(amp + 1);
}

QString WithoutMnemonicMarks(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    // A marking "&" gives way to the character it marks, which may be a second "&".
    if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) ++i;
    shown += text.at(i);
  }
  return shown;
}

namespace {

// The item with command `id` in `menu` or its submenus, depth first; null when none.
MenuItem* FindByCommand(MenuDefinition& menu, int id) {
  for (MenuItem& item : menu.items) {
    if (!item.separator && !item.HasSubmenu() && item.commandId == id) return &item;
    if (item.HasSubmenu())
      if (MenuItem* found = FindByCommand(*item.submenu, id)) return found;
  }
  return nullptr;
}

}  // namespace

bool SetMenuItemPictures(MenuDefinition& menu, int positionOrCommand, unsigned flags,
                         const QImage& unchecked, const QImage& checked) {
  MenuItem* item = nullptr;
  if (flags & BmpMenuByPosition) {
    if (positionOrCommand < 0 || positionOrCommand >= static_cast<int>(menu.items.size()))
      return false;
    item = &menu.items[static_cast<std::size_t>(positionOrCommand)];
  } else {
    item = FindByCommand(menu, positionOrCommand);
  }
  if (item == nullptr) return false;
  item->uncheckedPicture = unchecked;
  item->checkedPicture = checked;
  return true;
}

MenuDefinition LanguageMenuDefinition() {
  MenuDefinition menu;
  menu.items = {{"English", 32771},  {"Francais", 32772},  {"Deutch", 32773},
                {"Italiano", 32774}, {"Espagniol", 32775}, {"Romana", 32776}};
  return menu;
}

}  // namespace orlenta
