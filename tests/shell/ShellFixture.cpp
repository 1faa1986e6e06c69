#include "shell/ShellFixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QSettings>
#include <cstdlib>

#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"

namespace {

// Settings go to a folder of this test program's own, chosen before Qt first reads the
// settings location.
void UseTemporaryConfigFolder() {
  static const TempDir config;
  static const bool chosen = setenv("XDG_CONFIG_HOME", config.path().c_str(), 1) == 0;
  (void)chosen;
}

}  // namespace

void ShellFixture::SetUp() {
  UseTemporaryConfigFolder();
  TestApplication();
  QCoreApplication::setOrganizationName(QStringLiteral("应用程序向导生成的本地应用程序"));
  QCoreApplication::setApplicationName(QStringLiteral("PLIMDisp"));
  QSettings().clear();
}

void ShellFixture::TearDown() { Stop(); }

bool ShellFixture::Start(const std::vector<std::string>& arguments) {
  app = std::make_unique<CPLIMDispApp>();
  std::vector<std::string> argv{"plimdisp"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  app->SetArguments(argv);
  const bool started = app->InitInstance();
  ReleaseClosed();
  return started;
}

void ShellFixture::Stop() {
  if (app == nullptr) return;
  delete app->m_pMainWnd;
  app->m_pMainWnd = nullptr;
  app->ExitInstance();
  ReleaseClosed();
  app.reset();
}

CMainFrame& ShellFixture::Frame() const { return *static_cast<CMainFrame*>(app->m_pMainWnd); }

std::vector<CMDIChildWnd*> ShellFixture::Windows() const {
  std::vector<CMDIChildWnd*> windows;
  for (QMdiSubWindow* window : Frame().MdiArea()->subWindowList()) {
    if (auto* child = dynamic_cast<CMDIChildWnd*>(window); child != nullptr && !child->isHidden()) {
      windows.push_back(child);
    }
  }
  return windows;
}

CPLIMDispView* ShellFixture::ActiveView() const {
  CMDIChildWnd* child = Frame().MDIGetActive();
  return child != nullptr ? dynamic_cast<CPLIMDispView*>(child->GetActiveView()) : nullptr;
}

void ShellFixture::ReleaseClosed() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

PreviewSheet* ShellFixture::Preview() const {
  QWidget* client = Frame().centralWidget();
  return client != nullptr ? client->findChild<PreviewSheet*>() : nullptr;
}

void ShellFixture::PressPreviewButton(const char* name) const {
  QAction* button = Frame().centralWidget()->findChild<QAction*>(QString::fromLatin1(name));
  ASSERT_NE(button, nullptr) << name;
  button->trigger();
}

std::string ShellFixture::WritePage(const std::string& name, int lines) const {
  PageDraft page;
  page.pageWidth = 200;
  page.pageHeight = 100;
  for (int index = 0; index < lines; ++index) {
    page.lines.push_back(DraftLine(10, 10 + 20 * index, 30, 8, Solid(0x40), "ab"));
  }
  const std::string path = dir.File(name);
  EXPECT_TRUE(WritePageFile(path, page));
  return path;
}
