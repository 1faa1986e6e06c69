#include "platform/system/CFileDialog.h"

#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <functional>

#include "platform/PlatformUiScript.h"
#include "platform/framework/WidgetDialogs.h"
#include "support/TempDir.h"

namespace {

TEST(CFileDialogTest, FileTitleDropsFolderAndLastExtension) {
  const struct {
    std::string path;
    CString title;
  } cases[] = {
      {"page01.plim", L"page01"},
      {"/home/user/pages/page01.plim", L"page01"},
      {"/tmp/a.b.plim", L"a.b"},
      {"/tmp/noextension", L"noextension"},
      {"/tmp/trailing.", L"trailing"},
      {"/tmp/.plim", L".plim"},
      {"/tmp/dir.with.dots/page", L"page"},
      {"/tmp/\xE9\xA1\xB5\xE9\x9D\xA2.plim", L"\u9875\u9762"},  // UTF-8 name
  };
  for (const auto& c : cases) EXPECT_EQ(FileTitleFromPath(c.path), c.title) << c.path;
}

TEST(CFileDialogTest, QtNameFilterListsThePatternsOnce) {
  const struct {
    FileFilter filter;
    QString expected;
  } cases[] = {
      {{L"Multi-line page image files (*.plim)", L"*.plim"},
       "Multi-line page image files (*.plim)"},
      {{L"Pages", L"*.plim"}, "Pages (*.plim)"},
      {{L"Text", L"*.txt; *.log"}, "Text (*.txt *.log)"},
  };
  for (const auto& c : cases) EXPECT_EQ(QtNameFilter(c.filter), c.expected);
}

TEST(CFileDialogTest, ScriptedAnswersGiveResultPathAndTitle) {
  PlatformUiScript ui;
  ui.Choose("/tmp/x/page01.plim");
  ui.Cancel();

  CFileDialog dialog(true, {}, {}, OFN_HIDEREADONLY);
  dialog.GetOFN().filters = {{L"Pages (*.plim)", L"*.plim"}};
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.GetPathName(), "/tmp/x/page01.plim");
  EXPECT_EQ(dialog.GetFileTitle(), L"page01");
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_TRUE(ui.dialogs[0].openFileDialog);
  EXPECT_EQ(ui.dialogs[0].flags, OFN_HIDEREADONLY);
  ASSERT_EQ(ui.dialogs[0].filters.size(), 1u);
  EXPECT_EQ(ui.dialogs[0].filters[0].pattern, L"*.plim");

  // A cancelled second run forgets the earlier choice.
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), "");
}

// Runs the real dialog, letting `answer` act on it once it is up.
int RunRealDialog(CFileDialog& dialog, std::function<void(QFileDialog&)> answer) {
  TestApplication();
  SetFallbackPlatformUi(&WidgetDialogs());
  bool answered = false;
  QTimer::singleShot(0, [&] {
    auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (shown == nullptr) return;  // the dialog below then stays up: fail loudly instead
    answered = true;
    answer(*shown);
  });
  // A watchdog closes any dialog the answer missed, so a fault never hangs the test.
  QTimer::singleShot(5000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  const int result = dialog.DoModal();
  EXPECT_TRUE(answered) << "no file dialog was shown";
  return result;
}

TEST(CFileDialogTest, RealDialogReturnsTheChosenFile) {
  TempDir dir;
  const std::string path = dir.File("chosen page.plim");
  std::ofstream(path) << "x";

  CFileDialog dialog(true);
  dialog.GetOFN().filters = {{L"Multi-line page image files (*.plim)", L"*.plim"}};
  // Sizes and dates follow the program's locale, not the system's, in readable columns.
  const QLocale systemLocale;
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  const int result = RunRealDialog(dialog, [&](QFileDialog& shown) {
    EXPECT_EQ(shown.nameFilters(), QStringList{"Multi-line page image files (*.plim)"});
    EXPECT_EQ(shown.acceptMode(), QFileDialog::AcceptOpen);
    auto* files = qobject_cast<QFileSystemModel*>(shown.proxyModel()->sourceModel());
    ASSERT_NE(files, nullptr);
    const QModelIndex file = files->index(QString::fromStdString(path));
    const QString size =
        shown.proxyModel()->mapFromSource(file.siblingAtColumn(1)).data().toString();
    EXPECT_EQ(size.toStdString(), "1 字节");
    const QString date =
        shown.proxyModel()->mapFromSource(file.siblingAtColumn(3)).data().toString();
    EXPECT_EQ(date, QLocale().toString(files->lastModified(file), QLocale::ShortFormat));
    const auto* list = shown.findChild<QTreeView*>();
    EXPECT_GT(list->header()->sectionSize(3), list->fontMetrics().horizontalAdvance(date));
    shown.selectFile(QString::fromStdString(path));
    static_cast<QDialog&>(shown).accept();  // QFileDialog hides accept()
  });
  QLocale::setDefault(systemLocale);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.GetPathName(), path);
  EXPECT_EQ(dialog.GetFileTitle(), L"chosen page");
}

TEST(CFileDialogTest, RealDialogRejectedIsCancel) {
  CFileDialog dialog(true);
  EXPECT_EQ(RunRealDialog(dialog, [](QFileDialog& shown) { shown.reject(); }), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), "");
}

}  // namespace
