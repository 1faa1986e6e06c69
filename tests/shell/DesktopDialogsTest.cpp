// Qt's own texts in simplified Chinese, the page window's system-menu prompts, and the printer
// set-up dialog whose choice later prints and previews use.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>

#include "platform/framework/PrintSetupDialog.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/framework/ViewPrinting.h"
#include "shell/ShellFixture.h"

namespace {

TEST_F(ShellFixture, QtOwnTextsAreSimplifiedChinese) {
  ASSERT_TRUE(Start());
  const struct {
    const char* context;
    const char* english;
    const char* chinese;
  } cases[] = {
      {"QPlatformTheme", "OK", "确定"},
      {"QPlatformTheme", "Cancel", "取消"},
      {"QFileDialog", "Open", "打开"},
      {"QScrollBar", "Scroll here", "滚动至此"},
      {"QPrintPreviewDialog", "Next page", "下一页"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QCoreApplication::translate(c.context, c.english), QString::fromUtf8(c.chinese))
        << c.context << " " << c.english;
  }
  QFileDialog open;
  open.setAcceptMode(QFileDialog::AcceptOpen);
  EXPECT_EQ(open.windowTitle(), QStringLiteral("打开"));
}

TEST_F(ShellFixture, SystemMenuHoldsTheItemsWithPromptsAndClearsThePromptOnClosing) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ASSERT_EQ(Windows().size(), 2u);
  QMenu* menu = Windows()[1]->systemMenu();
  QStringList texts, prompts;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    texts << action->text();
    prompts << action->statusTip();
  }
  EXPECT_EQ(texts, (QStringList{"恢复(&R)", "移动(&M)", "大小(&S)", "最小化(&N)", "最大化(&X)",
                                "关闭(&C)\tCtrl+F4", "下一个(&T)\tCtrl+F6"}));
  QStringList expectedPrompts;
  for (UINT id : {0xEF12u, 0xEF01u, 0xEF00u, 0xEF02u, 0xEF03u, 0xEF06u, 0xEF04u}) {
    expectedPrompts << LoadQString(id);
  }
  EXPECT_EQ(prompts, expectedPrompts);

  // Under the pointer, an item's prompt shows in the frame's status bar until the menu closes.
  emit menu->hovered(menu->actions().constLast());
  EXPECT_EQ(Frame().StatusBar().GetPaneText(0), LoadQString(0xEF04));
  emit menu->aboutToHide();
  EXPECT_EQ(Frame().StatusBar().GetPaneText(0), "就绪");

  menu->actions().constLast()->trigger();
  EXPECT_EQ(Frame().MDIGetActive(), Windows()[0]) << "next window";
}

// Runs Print Setup, letting `answer` fill in and close the dialog.
void RunPrintSetup(CMainFrame& frame, const std::function<void(PrintSetupDialog&)>& answer) {
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<PrintSetupDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "Print Setup shows the printer set-up dialog";
    shown = true;
    answer(*dialog);
  });
  ASSERT_TRUE(frame.ExecuteCommand(ID_FILE_PRINT_SETUP));
  EXPECT_TRUE(shown);
}

void Choose(PrintSetupDialog& dialog, const char* paper, int orientation) {
  dialog.Printers()->setCurrentIndex(dialog.PdfEntry());
  const int size = dialog.PaperSizes()->findData(QString::fromLatin1(paper));
  ASSERT_GE(size, 0) << paper;
  dialog.PaperSizes()->setCurrentIndex(size);
  dialog.Orientation()->button(orientation)->setChecked(true);
}

TEST_F(ShellFixture, PrintSetupChoiceHoldsForPrintAndPreview) {
  ASSERT_TRUE(Start({WritePage("setup.plim")}));
  RunPrintSetup(Frame(), [](PrintSetupDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打印设置"));
    QStringList buttons;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
      buttons << button->text();
    EXPECT_TRUE(buttons.contains(QStringLiteral("确定"))) << buttons.join(',').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消")));
    Choose(dialog, "A5", 1);
    dialog.accept();
  });
  const auto chosen = [](const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat &&
           printer.pageLayout().pageSize().id() == QPageSize::A5 &&
           printer.pageLayout().orientation() == QPageLayout::Landscape;
  };
  EXPECT_TRUE(chosen(app->Printer()));

  // A cancelled set-up changes nothing.
  RunPrintSetup(Frame(), [](PrintSetupDialog& dialog) {
    Choose(dialog, "A4", 0);
    dialog.reject();
  });
  EXPECT_TRUE(chosen(app->Printer()));

  int jobs = 0;
  SetPrintDialogForTesting([&](QPrinter& printer) {
    jobs += chosen(printer);
    return false;
  });
  EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT));
  SetPrintDialogForTesting(nullptr);
  EXPECT_EQ(jobs, 1);
  EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
  ASSERT_NE(Preview(), nullptr);
  EXPECT_EQ(Preview()->PaperDots(),
            QPageSize(QPageSize::A5).sizePixels(app->Printer().resolution()).transposed());
}

}  // namespace
