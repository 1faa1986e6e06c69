#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/PreviewSheet.h"
#include "shell/CMainFrame.h"
#include "shell/CPLIMDispApp.h"
#include "support/TempDir.h"

// Qt text in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

// Runs the real application headless: start-up through InitInstance, commands through the
// main frame's routing, shut-down through ExitInstance. Settings live in a temporary folder
// and dialogs and message boxes are scripted.
class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application with `arguments` after the program name.
  bool Start(const std::vector<std::string>& arguments = {});
  // Ends it as the message loop's end does: the frame goes, then ExitInstance.
  void Stop();

  CMainFrame& Frame() const;
  // The open page windows, oldest first.
  std::vector<CMDIChildWnd*> Windows() const;
  CPLIMDispView* ActiveView() const;
  // Lets windows and views closed so far go.
  static void ReleaseClosed();

  // The sheet of the print preview on show in the frame, or null.
  PreviewSheet* Preview() const;
  // Triggers the preview tool bar's button `name` ("close", "print", "zoomIn", "zoomOut").
  void PressPreviewButton(const char* name) const;

  // Writes a small valid page with `lines` lines and returns its path.
  std::string WritePage(const std::string& name, int lines = 2) const;

  TempDir dir;
  PlatformUiScript ui;
  std::unique_ptr<CPLIMDispApp> app;
};
