#include "platform/framework/CWinApp.h"

#include <QApplication>
#include <QPrinter>
#include <filesystem>

#include "platform/framework/CDocTemplate.h"
#include "platform/framework/CDocument.h"
#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/DialogFrame.h"
#include "platform/framework/InterfaceLanguage.h"
#include "platform/framework/PrintSetupDialog.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/framework/TerminationSignals.h"
#include "platform/framework/WidgetDialogs.h"
#include "platform/system/CFileDialog.h"
#include "platform/system/CStringQt.h"
#include "platform/text/QtLabelText.h"

namespace {

CWinApp* g_currentApp = nullptr;
bool (*g_oleInit)() = nullptr;

// `named` from the root; "a/../b" is shortened only where that names the same file (a may be
// a link). `named` itself when the working folder cannot be had.
std::string FullPath(const std::string& named) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(named, error);
  if (error) return named;
  const std::filesystem::path shortened = full.lexically_normal();
  return std::filesystem::equivalent(full, shortened, error) ? shortened.string() : full.string();
}

}  // namespace

void CCommandLineInfo::ParseParam(const std::string& argument) {
  if (argument.empty() || argument.front() == '-') return;
  if (m_nShellCommand == FileNew) {
    m_nShellCommand = FileOpen;
    m_strFileName = argument;
  }
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnOpenRecentFile)
ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnUpdateRecentFileMenu)
ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp() {
  g_currentApp = this;
  SetFallbackPlatformUi(&WidgetDialogs());
  InstallQtLabelText();
}

CWinApp::~CWinApp() {
  if (g_currentApp == this) g_currentApp = nullptr;
}

CWinApp* AfxGetApp() { return g_currentApp; }

CString AfxGetAppName() {
  if (const wchar_t* title = FindStringResource(AFX_IDS_APP_TITLE)) return title;
  return g_currentApp != nullptr ? g_currentApp->m_pszAppName : CString();
}

bool CWinApp::InitInstance() {
  // Without the translations Qt's own texts stay English; the program runs all the same.
  InstallResourceLanguage();
  m_pszAppName = AfxGetAppName();
  QCoreApplication::setApplicationName(ToQString(m_pszAppName));
  return true;
}

int CWinApp::ExitInstance() {
  if (m_pRecentFileList != nullptr) m_pRecentFileList->WriteList();
  return 0;
}

void CWinApp::SetRegistryKey(const CString& key) {
  QCoreApplication::setOrganizationName(ToQString(key));
  QCoreApplication::setApplicationName(ToQString(m_pszAppName));
}

void CWinApp::LoadStdProfileSettings(unsigned maxRecentFiles) {
  if (maxRecentFiles == 0) return;
  m_pRecentFileList = std::make_unique<CRecentFileList>(static_cast<int>(maxRecentFiles));
  m_pRecentFileList->ReadList();
}

void CWinApp::AddDocTemplate(CMultiDocTemplate* docTemplate) {
  templates_.emplace_back(docTemplate);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  for (std::size_t index = 1; index < arguments_.size(); ++index)
    info.ParseParam(arguments_[index]);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      if (templates_.empty()) return false;
      return templates_.front()->OpenDocumentFile(nullptr) != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
      return true;
  }
  return false;
}

CDocument* CWinApp::OpenDocumentFile(const std::string& named) {
  if (templates_.empty() || named.empty()) return nullptr;
  // Documents and the recent-file list keep full paths, so an entry still opens from another
  // working folder.
  const std::string path = FullPath(named);
  // A file a window already shows is not opened twice (its view may hold it): that window
  // comes to the front, and the list names the file as its view does.
  for (const std::unique_ptr<CMultiDocTemplate>& docTemplate : templates_) {
    CMDIChildWnd* showing = docTemplate->FindFrameShowing(path);
    if (showing == nullptr) continue;
    if (m_pMainWnd != nullptr) m_pMainWnd->MDIActivate(showing);
    AddToRecentFileList(showing->GetActiveView()->GetShownFile());
    return showing->GetActiveDocument();
  }
  CDocument* document = templates_.front()->OpenDocumentFile(&path);
  if (document != nullptr) AddToRecentFileList(path);
  return document;
}

void CWinApp::AddToRecentFileList(const std::string& path) {
  if (m_pRecentFileList == nullptr) return;
  m_pRecentFileList->Add(path);
  // Written at once, so a run ended by a signal or a crash keeps what it opened.
  m_pRecentFileList->WriteList();
}

QPrinter& CWinApp::Printer() {
  if (printer_ == nullptr) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void CWinApp::OnFileNew() {
  if (!templates_.empty()) templates_.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  // The framework's own dialog: the template string names no file filter, so it lists every
  // file.
  CFileDialog dialog(true);
  if (dialog.DoModal() != IDOK) return;
  OpenDocumentFile(dialog.GetPathName());
}

void CWinApp::OnFilePrintSetup() {
  PrintSetupDialog dialog(Printer(), m_pMainWnd);
  UseModalDialogFrame(&dialog);
  dialog.exec();
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd != nullptr) m_pMainWnd->close();
}

void CWinApp::OnOpenRecentFile(UINT id) {
  if (m_pRecentFileList == nullptr) return;
  const std::size_t index = id - ID_FILE_MRU_FILE1;
  const std::vector<std::string>& entries = m_pRecentFileList->Entries();
  if (index >= entries.size()) return;
  const std::string path = entries[index];
  // An entry whose file is gone leaves the list, as the user has been told; one that cannot be
  // opened now (held, refused, not permitted) stays for later.
  std::error_code error;
  if (OpenDocumentFile(path) == nullptr && !std::filesystem::exists(path, error) && !error) {
    m_pRecentFileList->Remove(static_cast<int>(index));
    m_pRecentFileList->WriteList();
  }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui) {
  const std::size_t index = ui->m_nID - ID_FILE_MRU_FILE1;
  ui->Enable(m_pRecentFileList != nullptr && index < m_pRecentFileList->Entries().size());
}

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) { return init != nullptr; }

bool AfxOleInit() { return g_oleInit != nullptr ? g_oleInit() : true; }

void AfxOleTerm(bool /*justRevoke*/) {}

void AfxEnableControlContainer() {}

void SetOleInitForTesting(bool (*init)()) { g_oleInit = init; }

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  // Log-out, shut-down and Ctrl+C end the message loop, so ExitInstance still runs.
  const TerminationSignalsQuit signalsQuit;
  app->SetArguments(std::vector<std::string>(argv, argv + argc));
  if (!app->InitInstance()) {
    delete app->m_pMainWnd;
    app->m_pMainWnd = nullptr;
    app->ExitInstance();
    return 1;
  }
  const int loopResult = QApplication::exec();
  delete app->m_pMainWnd;
  app->m_pMainWnd = nullptr;
  const int exitCode = app->ExitInstance();
  return loopResult != 0 ? loopResult : exitCode;
}
