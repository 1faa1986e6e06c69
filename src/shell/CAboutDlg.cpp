#include "shell/CAboutDlg.h"

#include "resources/Resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialogEx)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(QWidget* parent) : CDialogEx(IDD_ABOUTBOX, parent) {}
