// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/step_runner.h"
#include "ui/bmp_menu.h"

namespace orlenta {
namespace {

using Step = StepRunner::Step;

// An owner that writes down everything it is told.
class RecordingOwner : public BmpMenuOwner {
 public:
  void OnInitMenu(const MenuDefinition&) override { log.push_back("init"); }
  void OnInitMenuPopup(const MenuDefinition&) override { log.push_back("init-popup"); }
  void OnEnterMenuLoop(const MenuDefinition&, CBmpMenu&) override {
    log.push_back("enter");
    if (onEnter) onEnter();
  }
  void OnExitMenuLoop() override { log.push_back("exit"); }
  void OnMenuSelect(int idOrIndex, unsigned flags, const MenuDefinition&) override {
    selects.push_back({idOrIndex, flags});
  }
  MenuCharAnswer OnMenuChar(QChar key, unsigned, const MenuDefinition&) override {
    keys.push_back(key);
    return charAnswer;
  }
  void OnMenuCommand(int id) override {
    commands.push_back(id);
    arrivedAfterReturn.push_back(trackReturned);
  }

  std::vector<std::string> log;
  std::vector<std::pair<int, unsigned>> selects;
  std::vector<QChar> keys;
  std::vector<int> commands;
  std::vector<bool> arrivedAfterReturn;
  MenuCharAnswer charAnswer;
  bool trackReturned = false;
  std::function<void()> onEnter;
};

// Open, a submenu of two colours, a disabled and a greyed item, and Exit.
MenuDefinition SampleMenu() {
  MenuDefinition colours;
  colours.items = {{"&Red", 200}, {"&Green", 201}};
  MenuDefinition menu;
  menu.items.push_back({"&Open", 100});
  menu.items.push_back(SubmenuItem("&Colours", colours, 150));
  menu.items.push_back({"&Disabled", 102, kMenuItemDisabled});
  menu.items.push_back({"&Greyed", 103, kMenuItemGrayed});
  menu.items.push_back({"E&xit", 104});
  return menu;
}

QPoint ItemCentre(const CBmpMenu& popup, int index) {
  return popup.Strip()->ItemRect(index).center();
}

void Click(const CBmpMenu& popup, int index) {
  QTest::mouseClick(popup.Strip(), Qt::LeftButton, {}, ItemCentre(popup, index));
}

void MoveTo(const CBmpMenu& popup, int index) {
  QTest::mouseMove(popup.Strip(), ItemCentre(popup, index));
}

void Press(CBmpMenu& popup, int key) {
  QTest::keyClick(&popup, static_cast<Qt::Key>(key));
}

class BmpMenuPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_.LoadMenu(SampleMenu());
    QCursor::setPos(0, 0);  // away from where popups appear, so every move is a real one
  }

  // Shows `menu_` at `at`, runs `steps` inside its loop, and returns what TrackPopupMenu
  // returned; a popup still open after five seconds is closed and the test fails.
  bool Track(std::vector<Step> steps, QPoint at = {100, 100}) {
    // The first step waits for the popup to be on screen: a mouse moved there earlier
    // would reach no window.
    steps.insert(steps.begin(), [this] { EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu_)); });
    // The steps begin once the popup is shown; before, it may still wait for its window.
    std::unique_ptr<StepRunner> runner;
    owner_.onEnter = [&] {
      if (!runner) runner = std::make_unique<StepRunner>(std::move(steps));
    };
    bool timedOut = false;
    QTimer::singleShot(5000, &menu_, [&] {
      timedOut = true;
      menu_.CloseChain();
    });
    const bool shown = menu_.TrackPopupMenu(0, at.x(), at.y(), &owner_, &dialog_, nullptr);
    owner_.trackReturned = true;
    owner_.onEnter = nullptr;
    EXPECT_FALSE(timedOut) << "the popup did not close by itself";
    return shown;
  }

  // Lets queued work (the chosen command) arrive.
  static void Settle() { QTest::qWait(30); }

  QWidget dialog_;
  RecordingOwner owner_;
  CBmpMenu menu_{0, false, QImage(), false};
};

TEST_F(BmpMenuPopupTest, WithoutOwnerNothingIsShown) {
  EXPECT_FALSE(menu_.TrackPopupMenu(0, 100, 100, nullptr, &dialog_, nullptr));
  EXPECT_FALSE(menu_.isVisible());
  EXPECT_EQ(menu_.Strip(), nullptr);
}

TEST_F(BmpMenuPopupTest, EscapeDismissesWithoutChoosingAnything) {
  bool wasVisible = false;
  EXPECT_TRUE(
      Track({[&] { wasVisible = menu_.isVisible(); }, [&] { Press(menu_, Qt::Key_Escape); }}));
  Settle();
  EXPECT_TRUE(wasVisible);
  EXPECT_FALSE(menu_.isVisible());
  EXPECT_EQ(owner_.log, (std::vector<std::string>{"init", "enter", "exit"}));
  EXPECT_TRUE(owner_.commands.empty());
}

TEST_F(BmpMenuPopupTest, ClickedCommandArrivesOnlyAfterTrackPopupMenuReturned) {
  EXPECT_TRUE(Track({[&] { Click(menu_, 4); }}));
  EXPECT_TRUE(owner_.commands.empty());
  Settle();
  EXPECT_EQ(owner_.commands, std::vector<int>{104});
  EXPECT_EQ(owner_.arrivedAfterReturn, std::vector<bool>{true});
}

TEST_F(BmpMenuPopupTest, DisabledAndGreyedItemsCannotBeClicked) {
  bool stillOpen = false;
  EXPECT_TRUE(Track({[&] {
                       Click(menu_, 2);
                       Click(menu_, 3);
                     },
                     [&] {
                       stillOpen = menu_.IsLoopRunning();
                       EXPECT_EQ(menu_.Strip()->LastClickedIndex(), -1);
                     },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  Settle();
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(owner_.commands.empty());
}

TEST_F(BmpMenuPopupTest, SecondClickOnTheSameItemIsIgnored) {
  CBmpMenu* submenu = nullptr;
  EXPECT_TRUE(Track({[&] { Click(menu_, 1); }, [&] { submenu = menu_.OpenSubmenu(); },
                     [&] { Click(menu_, 1); },  // would close and reopen the submenu
                     [&] { EXPECT_EQ(menu_.OpenSubmenu(), submenu); },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  EXPECT_NE(submenu, nullptr);
  EXPECT_EQ(owner_.log,
            (std::vector<std::string>{"init", "enter", "init-popup", "enter", "exit", "exit"}));
}

TEST_F(BmpMenuPopupTest, ClicksQueuedBeforeTheMenuClosesChooseOnlyOnce) {
  EXPECT_TRUE(Track({[&] {
    Click(menu_, 0);
    Click(menu_, 4);
  }}));
  Settle();
  EXPECT_EQ(owner_.commands, std::vector<int>{100});
}

TEST_F(BmpMenuPopupTest, RightOpensOnlySubmenusAndLeftClosesOnlyTheSubmenu) {
  std::vector<bool> open;
  CBmpMenu* submenu = nullptr;
  auto record = [&] { open.push_back(menu_.OpenSubmenu() != nullptr); };
  EXPECT_TRUE(Track({[&] { Press(menu_, Qt::Key_Down); },          // Open is hot
                     [&] { Press(menu_, Qt::Key_Right); },         // no submenu: nothing
                     record, [&] { Press(menu_, Qt::Key_Down); },  // Colours
                     [&] { Press(menu_, Qt::Key_Right); },
                     [&] {
                       record();
                       submenu = menu_.OpenSubmenu();
                       if (submenu) {
                         EXPECT_EQ(submenu->Strip()->HotItem(), 0);
                       }
                     },
                     [&] { Press(menu_, Qt::Key_Left); },          // reaches the submenu
                     record, [&] { Press(menu_, Qt::Key_Left); },  // top level: nothing
                     [&] {
                       record();
                       EXPECT_TRUE(menu_.IsLoopRunning());
                     },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  EXPECT_EQ(open, (std::vector<bool>{false, true, false, false}));
  Settle();
  EXPECT_TRUE(owner_.commands.empty());
}

TEST_F(BmpMenuPopupTest, EnterOpensASubmenuAndChoosesAPlainItem) {
  EXPECT_TRUE(
      Track({[&] { Press(menu_, Qt::Key_Down); }, [&] { Press(menu_, Qt::Key_Down); },  // Colours
             [&] { Press(menu_, Qt::Key_Return); },  // opens, Red hot
             [&] { Press(menu_, Qt::Key_Down); },    // Green
             [&] { Press(menu_, Qt::Key_Return); }}));
  Settle();
  EXPECT_EQ(owner_.commands, std::vector<int>{201});
  // Highlights announced: Open by command, Colours by position as a submenu, Red, Green.
  EXPECT_EQ(owner_.selects, (std::vector<std::pair<int, unsigned>>{
                                {100, 0}, {1, kMenuPopupFlag}, {200, 0}, {201, 0}}));
}

TEST_F(BmpMenuPopupTest, SharedMnemonicCyclesAndASingleOneChooses) {
  MenuDefinition menu;
  menu.items = {{"&Save", 1}, {"&Send", 2}, {"&Sort", 3}, {"&Open", 4}, {"Plain", 5}};
  menu_.LoadMenu(menu);
  std::vector<int> hot;
  auto press = [&](int key) {
    return [&, key] {
      Press(menu_, key);
      hot.push_back(menu_.Strip() ? menu_.Strip()->HotItem() : -2);
    };
  };
  EXPECT_TRUE(Track(
      {press(Qt::Key_S), press(Qt::Key_S), press(Qt::Key_S), press(Qt::Key_S), press(Qt::Key_O)}));
  Settle();
  EXPECT_EQ(hot, (std::vector<int>{0, 1, 2, 0, 3}));
  EXPECT_EQ(owner_.commands, std::vector<int>{4});
}

TEST_F(BmpMenuPopupTest, UnmatchedKeyIsLeftToTheOwner) {
  // An owner that does not care: nothing happens.
  bool stillOpen = false;
  EXPECT_TRUE(Track({[&] { Press(menu_, Qt::Key_Z); }, [&] { stillOpen = menu_.IsLoopRunning(); },
                     [&] {
                       owner_.charAnswer = {MenuCharAnswer::kExecute, 77};
                       Press(menu_, Qt::Key_Q);  // runs 77 at once, menu stays
                     },
                     [&] {
                       owner_.charAnswer = {MenuCharAnswer::kClose, 0};
                       Press(menu_, Qt::Key_Z);
                     }}));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(owner_.keys, (std::vector<QChar>{'Z', 'Q', 'Z'}));
  EXPECT_EQ(owner_.commands, std::vector<int>{77});
  EXPECT_EQ(owner_.arrivedAfterReturn, std::vector<bool>{false});
}

TEST_F(BmpMenuPopupTest, HoverOpensASubmenuAndAPlainItemClosesIt) {
  std::vector<bool> open;
  auto record = [&] { open.push_back(menu_.OpenSubmenu() != nullptr); };
  EXPECT_TRUE(Track({[&] { MoveTo(menu_, 1); }, record, [&] { MoveTo(menu_, 0); }, record,
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  EXPECT_EQ(open, (std::vector<bool>{true, false}));
}

TEST_F(BmpMenuPopupTest, LeavingAndReturningToAnItemAnnouncesItOnce) {
  int hotOutside = 0;
  // Moves to the very point where the mouse was last seen count for nothing; this test's
  // first one must not land where the previous test left off.
  const auto offCentre = [&] {
    QTest::mouseMove(menu_.Strip(), ItemCentre(menu_, 0) + QPoint(3, 0));
  };
  EXPECT_TRUE(Track({offCentre, [&] { QTest::mouseMove(&menu_, QPoint(1, 1)); },  // the frame
                     [&] { hotOutside = menu_.Strip()->HotItem(); }, [&] { MoveTo(menu_, 0); },
                     [&] { MoveTo(menu_, 4); }, [&] { Press(menu_, Qt::Key_Escape); }}));
  EXPECT_EQ(hotOutside, -1);
  EXPECT_EQ(owner_.selects, (std::vector<std::pair<int, unsigned>>{{100, 0}, {104, 0}}));
}

TEST_F(BmpMenuPopupTest, ActivatingAnotherWindowClosesTheWholeChain) {
  QWidget other;
  other.resize(50, 50);
  other.move(600, 400);
  EXPECT_TRUE(Track({[&] { Click(menu_, 1); },
                     [&] {
                       other.show();
                       other.activateWindow();
                     }}));
  EXPECT_EQ(owner_.log,
            (std::vector<std::string>{"init", "enter", "init-popup", "enter", "exit", "exit"}));
}

// Writes "parent-active" into a log each time the window it watches becomes active.
class ActivationLog : public QObject {
 public:
  explicit ActivationLog(std::vector<std::string>& log) : log_(log) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate) log_.push_back("parent-active");
    return QObject::eventFilter(watched, event);
  }

 private:
  std::vector<std::string>& log_;
};

TEST_F(BmpMenuPopupTest, ItsWindowComesToTheFrontFirstAndTheMenuStaysOpen) {
  dialog_.setGeometry(300, 300, 200, 100);
  dialog_.show();
  QWidget other;
  other.setGeometry(600, 400, 50, 50);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ActivationLog activations(owner_.log);
  dialog_.installEventFilter(&activations);
  bool openLater = false;
  QWidget* activeWhileOpen = nullptr;
  EXPECT_TRUE(Track({[&] {
                       QTest::qWait(100);  // time for a late activation to close the menu
                       openLater = menu_.IsLoopRunning();
                       activeWhileOpen = QApplication::activeWindow();
                     },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  Settle();
  ASSERT_GE(owner_.log.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(owner_.log.begin(), owner_.log.begin() + 3),
            (std::vector<std::string>{"init", "parent-active", "enter"}));
  EXPECT_TRUE(openLater);
  EXPECT_EQ(activeWhileOpen, &menu_);
  EXPECT_EQ(QApplication::activeWindow(), &dialog_);  // the window gets the keyboard back
}

TEST_F(BmpMenuPopupTest, PopupGoesBesideItsAnchorAndSubmenuBesideItsItem) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QRect atAnchor;
  QRect submenu;
  QRect item;
  EXPECT_TRUE(Track({[&] { atAnchor = menu_.geometry(); }, [&] { Click(menu_, 1); },
                     [&] {
                       item =
                           QRect(menu_.Strip()->mapToGlobal(menu_.Strip()->ItemRect(1).topLeft()),
                                 menu_.Strip()->ItemRect(1).size());
                       if (menu_.OpenSubmenu()) submenu = menu_.OpenSubmenu()->geometry();
                     },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  EXPECT_EQ(atAnchor.topLeft(), QPoint(100, 100));
  EXPECT_EQ(submenu.topLeft(), QPoint(item.x() + item.width(), item.y()));

  // Near the bottom right corner it opens up and to the left.
  const QPoint corner(screen.right() - 5, screen.bottom() - 5);
  QRect flipped;
  EXPECT_TRUE(
      Track({[&] { flipped = menu_.geometry(); }, [&] { Press(menu_, Qt::Key_Escape); }}, corner));
  EXPECT_EQ(flipped.bottomRight(), corner - QPoint(1, 1));
}

TEST_F(BmpMenuPopupTest, SubmenuTallerThanTheScreenIsKeptOnIt) {
  MenuDefinition many;
  for (int i = 0; i < 60; ++i) many.items.push_back({QString("Item %1").arg(i), 300 + i});
  MenuDefinition menu;
  menu.items.push_back(SubmenuItem("&Many", many));
  menu_.LoadMenu(menu);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QRect submenu;
  EXPECT_TRUE(Track({[&] { Click(menu_, 0); },
                     [&] {
                       if (menu_.OpenSubmenu()) submenu = menu_.OpenSubmenu()->geometry();
                     },
                     [&] { Press(menu_, Qt::Key_Escape); }}));
  ASSERT_FALSE(submenu.isNull());
  EXPECT_GT(submenu.height(), screen.height());
  EXPECT_EQ(submenu.top(), screen.top());
  EXPECT_EQ(submenu.left(), menu_.geometry().right() - 2);  // right of the item, beside it
}

}  // namespace
}  // namespace orlenta
