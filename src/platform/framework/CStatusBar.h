#pragma once

#include <QPointer>
#include <QStatusBar>
#include <functional>
#include <vector>

#include "platform/framework/CommandIds.h"

class CMDIFrameWnd;
class QLabel;

// The frame's status bar: a message pane (ID_SEPARATOR) showing the idle text or the prompt of
// the command under the pointer, then indicator panes whose text shows while their lock key is
// on.
class CStatusBar {
 public:
  CStatusBar() = default;
  // The bar widget belongs to the frame; what refreshes the indicators goes with this object.
  ~CStatusBar();
  CStatusBar(const CStatusBar&) = delete;
  CStatusBar& operator=(const CStatusBar&) = delete;

  bool Create(CMDIFrameWnd* parent, unsigned style, UINT id = AFX_IDW_STATUS_BAR);
  // Replaces the panes with one per id, in order.
  bool SetIndicators(const UINT* ids, int count);

  int PaneCount() const { return static_cast<int>(panes_.size()); }
  UINT GetItemID(int index) const { return panes_.at(index).id; }
  // The text a pane shows now.
  QString GetPaneText(int index) const;
  // Shows each indicator's text or blanks it from the lock state; also run after every key
  // event and window activation in the program.
  void UpdateIndicators();

  UINT GetDlgCtrlID() const { return id_; }
  QStatusBar* Bar() const { return bar_; }

 private:
  struct Pane {
    UINT id;
    QLabel* label;
  };
  QPointer<QStatusBar> bar_;
  QPointer<QObject> lockKeyWatcher_;
  std::vector<Pane> panes_;
  UINT id_ = 0;
};

// Whether the lock of indicator `id` (ID_INDICATOR_CAPS, _NUM, _SCRL) is on, as far as the
// window system reports it; false where it does not.
bool IsLockKeyOn(UINT indicatorId);
// Replaces the lock-state source; nullptr restores the window system's.
void SetLockKeyStateForTesting(std::function<bool(UINT)> state);
