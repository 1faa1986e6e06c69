#include "shell/CMainFrame.h"

#include "resources/Resource.h"

namespace {

// The status bar's panes: the message pane, then the lock indicators.
constexpr UINT kIndicators[] = {
    ID_SEPARATOR,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

constexpr unsigned kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                                   CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
constexpr unsigned kStatusBarStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM;

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs) { return CMDIFrameWnd::PreCreateWindow(cs); }

int CMainFrame::OnCreate(LPCREATESTRUCT createStruct) {
  if (CMDIFrameWnd::OnCreate(createStruct) == -1) return -1;
  if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, kToolBarStyle, CRect{}, AFX_IDW_TOOLBAR) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
    return -1;
  }
  if (!m_wndStatusBar.Create(this, kStatusBarStyle, AFX_IDW_STATUS_BAR)) return -1;
  m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators)));
  m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
  EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_wndToolBar);
  return 0;
}
