#pragma once

#include "platform/framework/CDialogEx.h"

// The About box on dialog IDD_ABOUTBOX.
class CAboutDlg : public CDialogEx {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  DECLARE_MESSAGE_MAP()
};
