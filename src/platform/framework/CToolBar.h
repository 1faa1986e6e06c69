#pragma once

#include <QPointer>
#include <QToolBar>

#include "platform/canvas/CRect.h"
#include "platform/framework/CommandIds.h"

class CMDIFrameWnd;

// Control-bar styles that matter here.
inline constexpr unsigned TBSTYLE_FLAT = 0x0800;
inline constexpr unsigned WS_CHILD = 0x40000000;
inline constexpr unsigned WS_VISIBLE = 0x10000000;
inline constexpr unsigned CBRS_TOP = 0x2000;
inline constexpr unsigned CBRS_BOTTOM = 0x8000;
inline constexpr unsigned CBRS_GRIPPER = 0x00400000;
inline constexpr unsigned CBRS_TOOLTIPS = 0x0010;
inline constexpr unsigned CBRS_FLYBY = 0x0020;
inline constexpr unsigned CBRS_SIZE_DYNAMIC = 0x0004;

// A row of command buttons on the frame, loaded from a toolbar resource. Each button issues its
// command through the frame, shows the command's tooltip, and its prompt in the status bar.
class CToolBar {
 public:
  CToolBar() = default;
  CToolBar(const CToolBar&) = delete;
  CToolBar& operator=(const CToolBar&) = delete;

  bool CreateEx(CMDIFrameWnd* parent, unsigned controlStyle, unsigned style,
                CRect borders = CRect{}, UINT id = AFX_IDW_TOOLBAR);
  // Adds the buttons of toolbar resource `id` with images from the bitmap of the same id.
  bool LoadToolBar(UINT id);
  void EnableDocking(unsigned sides);

  UINT GetDlgCtrlID() const { return id_; }
  QToolBar* Bar() const { return bar_; }

 private:
  CMDIFrameWnd* frame_ = nullptr;
  QPointer<QToolBar> bar_;
  UINT id_ = 0;
};
