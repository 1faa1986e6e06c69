#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/CCmdTarget.h"
#include "platform/framework/CRecentFileList.h"
#include "platform/system/CString.h"

class CDocument;
class CMDIFrameWnd;
class CMultiDocTemplate;
class QPrinter;

// What the command line asks for: a new empty document, or to open one file.
class CCommandLineInfo {
 public:
  enum ShellCommand { FileNew, FileOpen, FileNothing };

  // Takes one argument; arguments starting with '-' are options and otherwise ignored.
  virtual void ParseParam(const std::string& argument);
  virtual ~CCommandLineInfo() = default;

  ShellCommand m_nShellCommand = FileNew;
  std::string m_strFileName;
};

// Restart-manager support flags; restart and recovery are platform services that have no
// counterpart here, so the flags are recorded only.
inline constexpr unsigned AFX_RESTART_MANAGER_SUPPORT_ALL_ASPECTS = 0x3F;

// The application object: start-up and shut-down hooks, document templates, the commands every
// application handles (New, Open, Print Setup, recent files, Exit) and per-user settings.
// There is one at a time; AfxGetApp() returns it.
class CWinApp : public CCmdTarget {
 public:
  // Also makes the real widget dialogs the fallback dialog seam.
  CWinApp();
  ~CWinApp() override;

  virtual bool InitInstance();
  // Writes the recent-file list back to the settings and returns the process exit code.
  virtual int ExitInstance();

  void SetAppID(const CString& id) { m_strAppID = id; }
  // Settings live per user under `key`, then the application name.
  void SetRegistryKey(const CString& key);
  // Reads the recent-file list of `maxRecentFiles` entries from the settings.
  void LoadStdProfileSettings(unsigned maxRecentFiles = 4);
  // Whether the taskbar shows one entry per document window; recorded only, the window
  // system groups a program's windows itself.
  void EnableTaskbarInteraction(bool enable = true) { taskbarInteraction_ = enable; }
  bool TaskbarInteractionEnabled() const { return taskbarInteraction_; }

  // The application takes ownership.
  void AddDocTemplate(CMultiDocTemplate* docTemplate);
  void ParseCommandLine(CCommandLineInfo& info);
  bool ProcessShellCommand(CCommandLineInfo& info);

  // The framework's open path: a titled document window with the file loaded, added to the
  // recent-file list, both under the file's full path. A file that a window already shows
  // (CView::GetShownFile, however it was opened) activates that window instead and returns its
  // document. Null when the file cannot be opened (the user has been told why).
  CDocument* OpenDocumentFile(const std::string& path);
  // Adds `path` to the recent-file list and writes the list to the settings at once.
  void AddToRecentFileList(const std::string& path);
  CRecentFileList* RecentFiles() const { return m_pRecentFileList.get(); }

  // The printer later prints use, as chosen in Print Setup.
  QPrinter& Printer();

  // Framework command handlers.
  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  void OnAppExit();
  void OnOpenRecentFile(UINT id);
  void OnUpdateRecentFileMenu(CCmdUI* ui);

  // Called by the entry function with the process arguments before InitInstance.
  void SetArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }

  CMDIFrameWnd* m_pMainWnd = nullptr;
  unsigned m_dwRestartManagerSupportFlags = 0;
  CString m_strAppID;
  CString m_pszAppName;

 protected:
  std::vector<std::unique_ptr<CMultiDocTemplate>> templates_;
  std::unique_ptr<CRecentFileList> m_pRecentFileList;

  DECLARE_MESSAGE_MAP()

 private:
  std::vector<std::string> arguments_;
  std::unique_ptr<QPrinter> printer_;
  bool taskbarInteraction_ = true;
};

CWinApp* AfxGetApp();
// The application's title, string 0xE000, or the application name.
CString AfxGetAppName();

// Platform stand-ins. Common controls, OLE and control containment are Windows services with
// no counterpart here: each succeeds at once. AfxOleInit goes through a replaceable function
// so the start-up failure path can be exercised.
struct INITCOMMONCONTROLSEX {
  unsigned dwSize;
  unsigned dwICC;
};
inline constexpr unsigned ICC_WIN95_CLASSES = 0xFF;
bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
bool AfxOleInit();
void AfxOleTerm(bool justRevoke = false);
void AfxEnableControlContainer();
// Replaces what AfxOleInit does; nullptr restores the default, which succeeds.
void SetOleInitForTesting(bool (*init)());

// Runs the current application: InitInstance, the message loop, ExitInstance; SIGTERM, SIGINT
// and SIGHUP end the loop as a normal exit does. Returns the
// process exit code. A QApplication must exist.
int AfxWinMain(int argc, char** argv);
