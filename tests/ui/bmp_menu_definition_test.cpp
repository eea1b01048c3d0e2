// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ui/menu_definition.h"

namespace orlenta {
namespace {

QImage Filled(QRgb color) {
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

TEST(MenuDefinitionTest, LanguageMenuListsTheSixLanguagesInOrder) {
  const MenuDefinition menu = LanguageMenuDefinition();
  ASSERT_EQ(menu.items.size(), 6u);
  const char* texts[] = {"English", "Francais", "Deutch", "Italiano", "Espagniol", "Romana"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(menu.items[i].text, QString(texts[i]));
    EXPECT_EQ(menu.items[i].commandId, 32771 + i);
    EXPECT_TRUE(menu.items[i].IsSelectable());
    EXPECT_FALSE(menu.items[i].HasSubmenu());
  }
}

TEST(MenuDefinitionTest, PicturesAreSetByPositionOrByCommandInsideSubmenus) {
  MenuDefinition inner;
  inner.items = {{"&Red", 200}};
  MenuDefinition menu;
  menu.items.push_back({"&Open", 100});
  menu.items.push_back(SubmenuItem("&Colours", inner));

  EXPECT_TRUE(SetMenuItemPictures(menu, 0, BmpMenuByPosition, Filled(1), Filled(2)));
  EXPECT_EQ(menu.items[0].uncheckedPicture.pixel(0, 0), Filled(1).pixel(0, 0));
  EXPECT_EQ(menu.items[0].checkedPicture.pixel(0, 0), Filled(2).pixel(0, 0));
  EXPECT_FALSE(SetMenuItemPictures(menu, 2, BmpMenuByPosition, Filled(1), Filled(2)));
  EXPECT_FALSE(SetMenuItemPictures(menu, -1, BmpMenuByPosition, Filled(1), Filled(2)));

  EXPECT_TRUE(SetMenuItemPictures(menu, 200, BmpMenuByCommand, Filled(3), Filled(3)));
  EXPECT_FALSE(menu.items[1].submenu->items[0].uncheckedPicture.isNull());
  EXPECT_FALSE(SetMenuItemPictures(menu, 999, BmpMenuByCommand, Filled(3), Filled(3)));
}

TEST(MenuDefinitionTest, CopiesOwnTheirSubmenus) {
  MenuDefinition inner;
  inner.items = {{"&Red", 200}};
  MenuDefinition original;
  original.items.push_back(SubmenuItem("&Colours", inner));
  MenuDefinition copy = original;
  copy.items[0].submenu->items[0].text = "&Blue";
  EXPECT_EQ(original.items[0].submenu->items[0].text, QString("&Red"));
}

TEST(MenuDefinitionTest, MnemonicIsTheCharacterAfterTheFirstAmpersand) {
  EXPECT_EQ(MnemonicOf("E&xit"), QChar('x'));
  EXPECT_EQ(MnemonicOf("Plain"), std::nullopt);
  EXPECT_EQ(MnemonicOf("Trailing&"), std::nullopt);
  EXPECT_EQ(MnemonicOf("&&Both"), QChar('&'));
  EXPECT_EQ(WithoutMnemonicMarks("E&xit"), QString("Exit"));
  EXPECT_EQ(WithoutMnemonicMarks("Salt && &Pepper"), QString("Salt & Pepper"));
}

}  // namespace
}  // namespace orlenta
