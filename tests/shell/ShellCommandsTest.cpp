#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "platform/framework/CDocTemplate.h"
#include "platform/framework/ViewPrinting.h"
#include "platform/system/CFile.h"
#include "resources/Resource.h"
#include "resources/Version.h"
#include "shell/CAboutDlg.h"
#include "shell/ShellFixture.h"

namespace {

const CString kOpenFailure = L"Cannot open the PLIM file";

TEST_F(ShellFixture, StartsWithOneEmptyNumberedPageWindow) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows()[0]->windowTitle(), "PLIMDisp1");
  EXPECT_EQ(Frame().windowTitle(), "PLIMDisp - PLIMDisp1");
  ASSERT_NE(ActiveView(), nullptr);
  EXPECT_EQ(ActiveView()->lineCount(), 0);
  EXPECT_EQ(app->m_dwRestartManagerSupportFlags, 0x3Fu);
  EXPECT_EQ(app->m_strAppID, L"PLIMDisp.AppID.NoVersion");
  EXPECT_FALSE(app->TaskbarInteractionEnabled());
  EXPECT_EQ(Frame().Style(), 0x00CF8000u);

  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ASSERT_EQ(Windows().size(), 2u);
  EXPECT_EQ(Windows()[1]->windowTitle(), "PLIMDisp2");
}

TEST_F(ShellFixture, OpenInAPageWindowLoadsIntoThatWindowsView) {
  const std::string path = WritePage("first.plim", 3);
  ASSERT_TRUE(Start());
  CPLIMDispView* view = ActiveView();
  ui.Choose(path);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
  ASSERT_EQ(ui.dialogs.size(), 1u);
  ASSERT_EQ(ui.dialogs[0].filters.size(), 1u);
  EXPECT_EQ(ui.dialogs[0].filters[0].pattern, L"*.plim");  // the view's own dialog
  EXPECT_EQ(Windows().size(), 1u);
  EXPECT_EQ(view->lineCount(), 3);
  EXPECT_EQ(Windows()[0]->windowTitle(), "first");
  EXPECT_EQ(Frame().windowTitle(), "PLIMDisp - first");
  EXPECT_TRUE(app->RecentFiles()->Entries().empty());  // the view's Open is not the framework's
}

TEST_F(ShellFixture, OpenWithoutAPageWindowMakesATitledWindowWithThePageLoaded) {
  const std::string path = WritePage("second.plim", 2);
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_CLOSE));
  ReleaseClosed();
  ASSERT_TRUE(Windows().empty());

  ui.Choose(path);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_TRUE(ui.dialogs[0].filters.empty());  // the framework's dialog names no filter
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows()[0]->windowTitle(), "second");
  ASSERT_NE(ActiveView(), nullptr);
  EXPECT_EQ(ActiveView()->lineCount(), 2);
  EXPECT_TRUE(ActiveView()->fileOpen());
  EXPECT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{path});
}

TEST_F(ShellFixture, CommandLineFileOpensLoadedAndOpeningItAgainActivatesItsWindow) {
  const std::string path = WritePage("held.plim", 1);
  // Named relative to the working folder; documents and the list keep the full path.
  ASSERT_TRUE(Start({std::filesystem::relative(path).string()}));
  ASSERT_EQ(Windows().size(), 1u);
  CMDIChildWnd* first = Frame().MDIGetActive();
  EXPECT_EQ(ActiveView()->lineCount(), 1);

  // The first window holds the file, so another window's Open is refused with the reason.
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ui.Choose(path);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            kOpenFailure + L"\n\nAnother page window or program holds this file.");

  // The framework's open path, by the recent-file list or another name of the same file,
  // brings the window that shows it to the front and keeps the entry.
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_MRU_FILE1));
  EXPECT_EQ(Frame().MDIGetActive(), first);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  EXPECT_EQ(app->OpenDocumentFile(dir.File("./held.plim")), first->GetActiveDocument());
  ReleaseClosed();
  EXPECT_EQ(Frame().MDIGetActive(), first);
  EXPECT_EQ(Windows().size(), 3u);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{path});

  // Once the window shows another file, the first file opens in a window of its own, and the
  // other file, loaded by the view's own Open, brings that window to the front.
  const std::string other = WritePage("other.plim", 2);
  Frame().MDIActivate(first);
  ui.Choose(other);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
  ASSERT_NE(app->OpenDocumentFile(path), first->GetActiveDocument());
  EXPECT_EQ(ActiveView()->lineCount(), 1);
  EXPECT_EQ(Windows().size(), 4u);
  EXPECT_EQ(app->OpenDocumentFile(other), first->GetActiveDocument());
  EXPECT_EQ(Frame().MDIGetActive(), first);
  EXPECT_EQ(Windows().size(), 4u);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ShellFixture, RecentEntriesLeaveTheListOnlyWhenTheirFileIsGone) {
  const std::string held = WritePage("held.plim", 1);
  const std::string gone = WritePage("gone.plim", 1);
  // Longer than any path: dropped on reading, never shown.
  QSettings().setValue("Recent File List/File1", QString(PATH_MAX, QLatin1Char('x')));
  QSettings().setValue("Recent File List/File2", QString::fromStdString(held));
  QSettings().setValue("Recent File List/File3", QString::fromStdString(gone));
  ASSERT_TRUE(Start());
  ASSERT_EQ(app->RecentFiles()->Entries(), (std::vector<std::string>{held, gone}));

  CFile otherProgram;  // holds the file as another program would
  ASSERT_TRUE(otherProgram.Open(held, CFile::modeReadWrite));
  std::filesystem::remove(gone);
  for (const UINT entry : {ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 1}) {
    ASSERT_TRUE(Frame().ExecuteCommand(entry));
  }
  ReleaseClosed();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(Windows().size(), 1u) << "a window that cannot show its file never stays";
  EXPECT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{held});
}

TEST_F(ShellFixture, UnreadableCommandLineFileFailsStartUp) {
  EXPECT_FALSE(Start({dir.File("missing.plim")}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kOpenFailure + L"\n\nNo such file or directory");
}

TEST_F(ShellFixture, CommandsWithoutHandlersAreDisabledAndDoNothing) {
  const std::string path = WritePage("keep.plim", 1);
  ASSERT_TRUE(Start({path}));
  const auto sizeBefore = std::filesystem::file_size(path);
  for (UINT id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_FILE_SAVE,
                  ID_FILE_SAVE_AS, ID_NEXT_PANE, ID_PREV_PANE}) {
    EXPECT_FALSE(Frame().QueryCommand(id).enabled()) << std::hex << id;
    EXPECT_FALSE(Frame().ExecuteCommand(id)) << std::hex << id;
  }
  EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);
  EXPECT_TRUE(ui.dialogs.empty());
  for (QAction* action : Frame().ToolBar().Bar()->actions()) {
    const UINT id = action->property("commandId").toUInt();
    const bool disabled =
        id == ID_FILE_SAVE || id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE;
    if (!action->isSeparator()) {
      EXPECT_EQ(action->isEnabled(), !disabled) << std::hex << id;
    }
  }
}

TEST_F(ShellFixture, NewWindowGivesAnEmptyViewOnTheSameDocument) {
  const std::string path = WritePage("shared.plim", 2);
  ASSERT_TRUE(Start({path}));
  CMDIChildWnd* first = Frame().MDIGetActive();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_NEW));
  ASSERT_EQ(Windows().size(), 2u);
  CMDIChildWnd* second = Frame().MDIGetActive();
  ASSERT_NE(first, second);
  EXPECT_EQ(second->GetActiveDocument(), first->GetActiveDocument());
  EXPECT_EQ(ActiveView()->lineCount(), 0);
  EXPECT_EQ(first->windowTitle(), "shared:1");
  EXPECT_EQ(second->windowTitle(), "shared:2");

  // Closing one window leaves the document to the other.
  second->close();
  ReleaseClosed();
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(first->windowTitle(), "shared");
}

TEST_F(ShellFixture, ClosingAWindowClosesItsFile) {
  const std::string path = WritePage("closing.plim", 1);
  ASSERT_TRUE(Start({path}));
  CFile probe;
  EXPECT_FALSE(probe.Open(path, CFile::modeReadWrite));
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_CLOSE));
  ReleaseClosed();
  EXPECT_TRUE(Windows().empty());
  EXPECT_TRUE(probe.Open(path, CFile::modeReadWrite));
}

TEST_F(ShellFixture, RecentFilesPersistBetweenRunsNewestFirstAtMostFour) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) paths.push_back(WritePage("r" + std::to_string(i) + ".plim", 1));
  ASSERT_TRUE(Start());
  for (const std::string& path : paths) ASSERT_NE(app->OpenDocumentFile(path), nullptr) << path;
  // Each change reaches the settings file at once, before any exit.
  std::ifstream settingsFile(QSettings().fileName().toStdString());
  const std::string written((std::istreambuf_iterator<char>(settingsFile)), {});
  EXPECT_NE(written.find(paths[4]), std::string::npos) << written;
  EXPECT_EQ(written.find(paths[0]), std::string::npos) << written;
  Stop();

  ASSERT_TRUE(Start());
  const std::vector<std::string> expected{paths[4], paths[3], paths[2], paths[1]};
  EXPECT_EQ(app->RecentFiles()->Entries(), expected);
  EXPECT_EQ(QSettings().value("Recent File List/File1").toString().toStdString(), paths[4]);

  // A recent-file entry goes through the framework's open path.
  app->m_pMainWnd->MdiArea()->closeAllSubWindows();
  ReleaseClosed();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + 2));
  EXPECT_EQ(ActiveView()->lineCount(), 1);
  EXPECT_EQ(Frame().MDIGetActive()->windowTitle(), "r2");
  EXPECT_EQ(app->RecentFiles()->Entries().front(), paths[2]);
  EXPECT_FALSE(Frame().QueryCommand(ID_FILE_MRU_FILE1 + 4).enabled());
}

TEST_F(ShellFixture, OleFailureShowsItsMessageAndStopsStartUp) {
  SetOleInitForTesting([] { return false; });
  EXPECT_FALSE(Start());
  SetOleInitForTesting(nullptr);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, L"OLE 初始化失败。  请确保 OLE 库是正确的版本。");
  EXPECT_EQ(app->m_pMainWnd, nullptr);
}

TEST_F(ShellFixture, AboutBoxShowsItsTextsAndClosesWithOkEnterOrEscape) {
  CAboutDlg about;
  ASSERT_TRUE(about.Create());
  QDialog* dialog = about.Window();
  EXPECT_EQ(dialog->windowTitle(), "关于 PLIMDisp");
  // A modal frame: no minimise or maximise button.
  EXPECT_FALSE(dialog->windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  QStringList texts;
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) texts << label->text();
  }
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[0], "PLIMDisp，版本 " PLIMDISP_SHORT_VERSION);
  auto* ok = dialog->findChild<QPushButton*>();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "确定");
  EXPECT_TRUE(ok->isDefault());

  const std::pair<int, int> closings[] = {{Qt::Key_Return, 1}, {Qt::Key_Escape, 0}, {0, 1}};
  for (const auto& [key, result] : closings) {
    dialog->open();
    if (key == 0) {
      ok->click();
    } else {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(dialog, &press);
    }
    EXPECT_FALSE(dialog->isVisible()) << key;
    EXPECT_EQ(dialog->result(), result) << key;
  }
}

TEST_F(ShellFixture, AboutCommandRunsTheBoxModally) {
  ASSERT_TRUE(Start());
  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      shown = box->windowTitle() == "关于 PLIMDisp";
      box->accept();
    }
  });
  EXPECT_TRUE(Frame().ExecuteCommand(ID_APP_ABOUT));
  EXPECT_TRUE(shown);
}

TEST_F(ShellFixture, PrintGoesToThePrinterChosenInTheDialog) {
  const std::string path = WritePage("print.plim", 2);
  ASSERT_TRUE(Start({path}));
  app->Printer().setOutputFormat(QPrinter::PdfFormat);
  const std::string pdf = dir.File("print.pdf");
  int dialogs = 0;
  SetPrintDialogForTesting([&dialogs, &pdf](QPrinter& printer) {
    // The dialog proposes <title>.pdf beside the page, and the job is named after the page.
    EXPECT_EQ(printer.outputFileName().toStdString(), pdf);
    EXPECT_EQ(printer.docName(), QStringLiteral("print"));
    return ++dialogs == 1;
  });
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT));
  EXPECT_EQ(dialogs, 1);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_GT(std::filesystem::file_size(pdf), 0u);
  EXPECT_TRUE(ui.messages.empty());

  // A cancelled dialog prints nothing.
  std::filesystem::remove(pdf);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT));
  EXPECT_FALSE(std::filesystem::exists(pdf));
  SetPrintDialogForTesting(nullptr);
}

TEST_F(ShellFixture, PreviewIsAModeOfTheFrameDrawnThroughTheView) {
  ASSERT_TRUE(Start({WritePage("preview.plim", 1)}));
  app->Printer().setResolution(72);  // the 200 x 100 page fills a third of the paper's width
  CPLIMDispView* view = ActiveView();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
  PreviewSheet* sheet = Preview();
  ASSERT_NE(sheet, nullptr);
  EXPECT_FALSE(Frame().MdiArea()->isVisibleTo(&Frame()));
  const QImage shown = sheet->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const auto* pixels = reinterpret_cast<const QRgb*>(shown.constBits());
  EXPECT_GT(std::count(pixels, pixels + shown.width() * shown.height(), qRgb(0x40, 0x40, 0x40)), 0)
      << "the line's grey, drawn by the view's pass";
  const double scale = sheet->Scale();
  PressPreviewButton("zoomIn");
  EXPECT_DOUBLE_EQ(sheet->Scale(), scale * PreviewSheet::kZoomStep);

  PressPreviewButton("close");
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_EQ(Frame().centralWidget(), Frame().MdiArea());
  EXPECT_EQ(ActiveView(), view);

  // Any command but the preview's own leaves it first.
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
  ASSERT_NE(Preview(), nullptr);
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_EQ(Windows().size(), 2u);

  // The frame may go while a preview shows (Stop, at the end of the test).
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
  ASSERT_NE(Preview(), nullptr);
}

}  // namespace
