#pragma once

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CStatusBar.h"
#include "platform/framework/CToolBar.h"

// The program's main frame: menus, the main toolbar, the status bar and the page windows.
class CMainFrame : public CMDIFrameWnd {
  Q_OBJECT

 public:
  CMainFrame() = default;

  bool PreCreateWindow(CREATESTRUCT& cs) override;
  // Creates the toolbar and the status bar; -1 when either cannot be made.
  int OnCreate(LPCREATESTRUCT createStruct);

  CToolBar& ToolBar() { return m_wndToolBar; }
  CStatusBar& StatusBar() { return m_wndStatusBar; }

 protected:
  CToolBar m_wndToolBar;
  CStatusBar m_wndStatusBar;

  DECLARE_MESSAGE_MAP()
};
