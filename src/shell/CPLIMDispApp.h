#pragma once

#include "platform/framework/CWinApp.h"

// The application: start-up, shut-down and the About command.
class CPLIMDispApp : public CWinApp {
 public:
  CPLIMDispApp();

  bool InitInstance() override;
  int ExitInstance() override;

  void OnAppAbout();

  DECLARE_MESSAGE_MAP()
};
