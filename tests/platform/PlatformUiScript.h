#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/PlatformUi.h"
#include "platform/text/QtLabelText.h"

// The one QApplication of a test program that makes widgets (offscreen in ctest). It is never
// destroyed: tearing Qt down from exit handlers crashes once a window has been shown.
inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "plimdisp-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  InstallQtLabelText();
  return *app;
}

// Answers file dialogs from a script and records message boxes, while it lives; the seam
// installed before comes back afterwards.
class PlatformUiScript : public PlatformUi {
 public:
  struct Message {
    CString caption;
    CString text;
  };

  PlatformUiScript() : previous_(InstalledPlatformUi()) { InstallPlatformUi(this); }
  ~PlatformUiScript() override { InstallPlatformUi(previous_); }
  PlatformUiScript(const PlatformUiScript&) = delete;
  PlatformUiScript& operator=(const PlatformUiScript&) = delete;

  // The next file dialog chooses `path`.
  void Choose(std::string path) { answers_.emplace_back(std::move(path)); }
  // The next file dialog is cancelled.
  void Cancel() { answers_.emplace_back(std::nullopt); }

  std::optional<std::string> ChooseFile(const FileDialogSettings& settings) override {
    dialogs.push_back(settings);
    if (answers_.empty()) {
      ADD_FAILURE() << "a file dialog was shown without a scripted answer";
      return std::nullopt;
    }
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
  }

  void ShowMessage(const CString& caption, const CString& text) override {
    messages.push_back({caption, text});
  }

  std::vector<FileDialogSettings> dialogs;
  std::vector<Message> messages;

 private:
  PlatformUi* previous_;
  std::deque<std::optional<std::string>> answers_;
};
