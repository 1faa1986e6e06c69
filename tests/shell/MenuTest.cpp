#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

#include "platform/framework/AcceleratorKeys.h"
#include "platform/framework/MenuText.h"
#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"
#include "shell/ShellFixture.h"

namespace {

struct Item {
  const char* text;  // nullptr: a separator
  UINT id;
};

struct Popup {
  const char* title;
  std::vector<Item> items;
};

const Item kSeparator{nullptr, 0};

const std::vector<Popup> kFrameMenu = {
    {"文件(&F)",
     {{"新建(&N)\tCtrl+N", ID_FILE_NEW},
      {"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
      {"关闭(&C)", ID_FILE_CLOSE},
      kSeparator,
      {"打印设置(&R)...", ID_FILE_PRINT_SETUP},
      kSeparator,
      {"最近的文件", ID_FILE_MRU_FILE1},
      kSeparator,
      {"退出(&X)", ID_APP_EXIT}}},
    {"视图(&V)", {{"工具栏(&T)", ID_VIEW_TOOLBAR}, {"状态栏(&S)", ID_VIEW_STATUS_BAR}}},
    {"帮助(&H)", {{"关于 PLIMDisp(&A)...", ID_APP_ABOUT}}},
};

const std::vector<Popup> kPageMenu = {
    {"文件(&F)",
     {{"新建(&N)\tCtrl+N", ID_FILE_NEW},
      {"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
      {"关闭(&C)", ID_FILE_CLOSE},
      {"保存(&S)\tCtrl+S", ID_FILE_SAVE},
      {"另存为(&A)...", ID_FILE_SAVE_AS},
      kSeparator,
      {"打印(&P)...\tCtrl+P", ID_FILE_PRINT},
      {"打印预览(&V)", ID_FILE_PRINT_PREVIEW},
      {"打印设置(&R)...", ID_FILE_PRINT_SETUP},
      kSeparator,
      {"最近的文件", ID_FILE_MRU_FILE1},
      kSeparator,
      {"退出(&X)", ID_APP_EXIT}}},
    {"编辑(&E)",
     {{"撤消(&U)\tCtrl+Z", ID_EDIT_UNDO},
      kSeparator,
      {"剪切(&T)\tCtrl+X", ID_EDIT_CUT},
      {"复制(&C)\tCtrl+C", ID_EDIT_COPY},
      {"粘贴(&P)\tCtrl+V", ID_EDIT_PASTE}}},
    {"视图(&V)", {{"工具栏(&T)", ID_VIEW_TOOLBAR}, {"状态栏(&S)", ID_VIEW_STATUS_BAR}}},
    {"窗口(&W)",
     {{"新建窗口(&N)", ID_WINDOW_NEW},
      {"层叠(&C)", ID_WINDOW_CASCADE},
      {"平铺(&T)", ID_WINDOW_TILE_HORZ},
      {"排列图标(&A)", ID_WINDOW_ARRANGE}}},
    {"帮助(&H)", {{"关于 PLIMDisp(&A)...", ID_APP_ABOUT}}},
};

// Compares the frame's menu bar with `expected`; the window list after the window popup's
// items is left out.
void ExpectMenuBar(QMenuBar* bar, const std::vector<Popup>& expected) {
  const QList<QAction*> popups = bar->actions();
  ASSERT_EQ(popups.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t p = 0; p < expected.size(); ++p) {
    QMenu* menu = popups[p]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QString::fromUtf8(expected[p].title));
    const QList<QAction*> items = menu->actions();
    ASSERT_GE(items.size(), static_cast<qsizetype>(expected[p].items.size())) << expected[p].title;
    for (std::size_t i = 0; i < expected[p].items.size(); ++i) {
      const Item& item = expected[p].items[i];
      SCOPED_TRACE(std::string(expected[p].title) + " item " + std::to_string(i));
      if (item.text == nullptr) {
        EXPECT_TRUE(items[i]->isSeparator());
        continue;
      }
      EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.text));
      EXPECT_EQ(items[i]->property("commandId").toUInt(), item.id);
    }
  }
}

TEST_F(ShellFixture, PageWindowShowsThePageMenuAndTheFrameMenuWithoutOne) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().CurrentMenuId(), IDR_PAGETYPE);
  ExpectMenuBar(Frame().menuBar(), kPageMenu);

  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_CLOSE));
  ReleaseClosed();
  EXPECT_TRUE(Windows().empty());
  EXPECT_EQ(Frame().CurrentMenuId(), IDR_MAINFRAME);
  ExpectMenuBar(Frame().menuBar(), kFrameMenu);
}

// The texts of the window popup's entries after its four commands.
QStringList WindowListTexts(CMainFrame& frame) {
  QMenu* windowMenu = frame.menuBar()->actions()[3]->menu();
  emit windowMenu->aboutToShow();
  QStringList titles;
  for (QAction* action : windowMenu->actions().mid(4)) {
    if (!action->isSeparator()) titles << action->text();
  }
  return titles;
}

TEST_F(ShellFixture, WindowPopupNumbersNineWindowsAndListsAllInADialog) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  EXPECT_EQ(WindowListTexts(Frame()), (QStringList{"&1 PLIMDisp1", "&2 PLIMDisp2"}));

  for (int i = 3; i <= 11; ++i) ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  const QStringList texts = WindowListTexts(Frame());
  ASSERT_EQ(texts.size(), 10);
  EXPECT_EQ(texts[8], "&9 PLIMDisp9");
  EXPECT_EQ(texts[9], "更多窗口(&M)...");

  // The dialog lists all eleven; choosing the tenth activates it.
  Frame().MDIActivate(Windows()[0]);
  int listed = 0;
  QTimer::singleShot(0, [&listed] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "选择窗口");
    auto* list = dialog->findChild<QListWidget*>();
    listed = list->count();
    list->setCurrentRow(9);
    static_cast<QDialog*>(dialog)->accept();
  });
  QMenu* windowMenu = Frame().menuBar()->actions()[3]->menu();
  windowMenu->actions().constLast()->trigger();
  EXPECT_EQ(listed, 11);
  EXPECT_EQ(Frame().MDIGetActive(), Windows()[9]);
}

TEST(MenuTextTest, EntriesShowNamesAsTheyAreShortAndSafe) {
  const QString folder = QStringLiteral("/home/user/") + QString(150, QLatin1Char('d'));
  const struct {
    QString name;
    QString text;
  } cases[] = {
      {"/p/page01.plim", "&1 /p/page01.plim"},
      {"a&b", "&1 a&&b"},  // shown as "a&b", no mnemonic
      {QStringLiteral("tab\there\n"), QStringLiteral("&1 tab\uFFFDhere\uFFFD")},
      // Long names keep their start and their file name.
      {folder + "/page01.plim", "&1 " + folder.left(60 - 1 - 12) + QChar(0x2026) + "/page01.plim"},
      {QString(100, QLatin1Char('n')),
       "&1 " + QString(29, QLatin1Char('n')) + QChar(0x2026) + QString(30, QLatin1Char('n'))},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberedMenuText(1, c.name), c.text);
}

// The frame's action bound to `keys`, or null.
QAction* FrameKey(CMainFrame& frame, const QKeySequence& keys) {
  for (QAction* action : frame.actions()) {
    if (action->shortcut() == keys) return action;
  }
  return nullptr;
}

TEST_F(ShellFixture, WindowKeysSwitchCloseAndOpenMenus) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  const std::vector<CMDIChildWnd*> windows = Windows();
  const struct {
    QKeySequence keys;
    std::function<bool()> done;
  } cases[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_F6), [&] { return Frame().MDIGetActive() == windows[0]; }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
       [&] { return Frame().MDIGetActive() == windows[2]; }},
      {QKeySequence(Qt::ALT | Qt::Key_Minus),
       [&] { return windows[2]->systemMenu()->isVisible(); }},
      {QKeySequence(Qt::Key_F10),
       [&] { return Frame().menuBar()->activeAction() == Frame().menuBar()->actions().value(0); }},
      {QKeySequence(Qt::CTRL | Qt::Key_F4), [&] { return Windows().size() == 2; }},
  };
  for (const auto& c : cases) {
    QAction* action = FrameKey(Frame(), c.keys);
    ASSERT_NE(action, nullptr) << c.keys.toString().toStdString();
    action->trigger();
    ReleaseClosed();
    EXPECT_TRUE(c.done()) << c.keys.toString().toStdString();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
}

TEST(AcceleratorTest, TableGivesTheseKeysInOrder) {
  const std::pair<const char*, UINT> expected[] = {
      {"Ctrl+N", ID_FILE_NEW},    {"Ctrl+O", ID_FILE_OPEN},   {"Ctrl+S", ID_FILE_SAVE},
      {"Ctrl+P", ID_FILE_PRINT},  {"Ctrl+Z", ID_EDIT_UNDO},   {"Ctrl+X", ID_EDIT_CUT},
      {"Ctrl+C", ID_EDIT_COPY},   {"Ctrl+V", ID_EDIT_PASTE},  {"Alt+Backspace", ID_EDIT_UNDO},
      {"Shift+Del", ID_EDIT_CUT}, {"Ctrl+Ins", ID_EDIT_COPY}, {"Shift+Ins", ID_EDIT_PASTE},
      {"F6", ID_NEXT_PANE},       {"Shift+F6", ID_PREV_PANE},
  };
  const AcceleratorResource* table = FindAcceleratorResource(IDR_MAINFRAME);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(FindAcceleratorResource(IDR_PAGETYPE), nullptr);
  ASSERT_EQ(table->entries.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(KeySequenceOf(table->entries[i]).toString(QKeySequence::PortableText),
              QString::fromUtf8(expected[i].first));
    EXPECT_EQ(table->entries[i].cmd, expected[i].second) << i;
  }
}

TEST_F(ShellFixture, ToolbarHoldsTheButtonsInOrderWithTheirTips) {
  ASSERT_TRUE(Start());
  const std::pair<UINT, const char*> expected[] = {
      {ID_FILE_NEW, "新建"},   {ID_FILE_OPEN, "打开"},  {ID_FILE_SAVE, "保存"},
      {ID_SEPARATOR, nullptr}, {ID_EDIT_CUT, "剪切"},   {ID_EDIT_COPY, "复制"},
      {ID_EDIT_PASTE, "粘贴"}, {ID_SEPARATOR, nullptr}, {ID_FILE_PRINT, "打印"},
      {ID_APP_ABOUT, "关于"},
  };
  QToolBar* bar = Frame().ToolBar().Bar();
  EXPECT_EQ(bar->iconSize(), QSize(16, 15));
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    if (expected[i].second == nullptr) {
      EXPECT_TRUE(actions[i]->isSeparator()) << i;
      continue;
    }
    EXPECT_EQ(actions[i]->property("commandId").toUInt(), expected[i].first) << i;
    EXPECT_EQ(actions[i]->toolTip(), QString::fromUtf8(expected[i].second)) << i;
    EXPECT_FALSE(actions[i]->icon().isNull()) << i;
  }
}

TEST_F(ShellFixture, StatusBarShowsReadyAndThreeIndicators) {
  SetLockKeyStateForTesting([](UINT id) { return id == ID_INDICATOR_NUM; });
  ASSERT_TRUE(Start());
  CStatusBar& bar = Frame().StatusBar();
  ASSERT_EQ(bar.PaneCount(), 4);
  const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
  const char* texts[] = {"就绪", "", "NUM", ""};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bar.GetItemID(i), ids[i]);
    EXPECT_EQ(bar.GetPaneText(i), QString::fromUtf8(texts[i])) << i;
  }

  // Indicators follow key events and activation; nothing polls.
  EXPECT_TRUE(Frame().findChildren<QTimer*>().isEmpty());
  bool capsOn = true;
  SetLockKeyStateForTesting([&capsOn](UINT id) { return id == ID_INDICATOR_CAPS && capsOn; });
  QKeyEvent capsLock(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier);
  QCoreApplication::sendEvent(ActiveView(), &capsLock);
  EXPECT_EQ(bar.GetPaneText(1), "CAP");
  EXPECT_EQ(bar.GetPaneText(2), "");
  capsOn = false;
  QEvent activation(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&Frame(), &activation);
  EXPECT_EQ(bar.GetPaneText(1), "");
  SetLockKeyStateForTesting(nullptr);
}

TEST_F(ShellFixture, ViewMenuTogglesBarsAndTheirChecks) {
  ASSERT_TRUE(Start());
  for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
    EXPECT_TRUE(Frame().QueryCommand(id).checked()) << id;
    ASSERT_TRUE(Frame().ExecuteCommand(id));
    EXPECT_FALSE(Frame().QueryCommand(id).checked()) << id;
    ASSERT_TRUE(Frame().ExecuteCommand(id));
    EXPECT_TRUE(Frame().QueryCommand(id).checked()) << id;
  }
}

}  // namespace
