#include "shell/CPLIMDispApp.h"

#include <QCoreApplication>

#include "pageview/CPLIMDispView.h"
#include "platform/framework/CDocTemplate.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/system/MessageBox.h"
#include "resources/Resource.h"
#include "resources/Version.h"
#include "shell/CAboutDlg.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CPLIMDispDoc.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"应用程序向导生成的本地应用程序";
constexpr unsigned kRecentFiles = 4;
constexpr unsigned kMainFrameStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;

}  // namespace

BEGIN_MESSAGE_MAP(CPLIMDispApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, &CPLIMDispApp::OnAppAbout)
ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, &CWinApp::OnFileOpen)
ON_COMMAND(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

CPLIMDispApp::CPLIMDispApp() {
  m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_ALL_ASPECTS;
  SetAppID(L"PLIMDisp.AppID.NoVersion");
}

bool CPLIMDispApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kPlimDispVersion));
  if (!AfxOleInit()) {
    AfxMessageBox(FindStringResource(IDP_OLE_INIT_FAILED));
    return false;
  }
  AfxEnableControlContainer();
  EnableTaskbarInteraction(false);
  SetRegistryKey(kSettingsKey);
  LoadStdProfileSettings(kRecentFiles);

  auto* pageTemplate =
      new CMultiDocTemplate(IDR_PAGETYPE, RUNTIME_CLASS(CPLIMDispDoc), RUNTIME_CLASS(CChildFrame),
                            RUNTIME_CLASS(CPLIMDispView));
  AddDocTemplate(pageTemplate);

  auto* mainFrame = new CMainFrame;
  if (!mainFrame->LoadFrame(IDR_MAINFRAME, kMainFrameStyle)) {
    delete mainFrame;
    return false;
  }
  m_pMainWnd = mainFrame;

  CCommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  if (!ProcessShellCommand(commandLine)) return false;

  mainFrame->show();
  mainFrame->update();
  return true;
}

int CPLIMDispApp::ExitInstance() {
  AfxOleTerm(false);
  return CWinApp::ExitInstance();
}

void CPLIMDispApp::OnAppAbout() {
  CAboutDlg about(m_pMainWnd);
  about.DoModal();
}
