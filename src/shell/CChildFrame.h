#pragma once

#include "platform/framework/CMDIChildWnd.h"

// The window of one page: one page view on one page document.
class CChildFrame : public CMDIChildWnd {
  Q_OBJECT

 public:
  CChildFrame() = default;
  bool PreCreateWindow(CREATESTRUCT& cs) override;

  DECLARE_MESSAGE_MAP()
};
