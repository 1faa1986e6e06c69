// plimdisp-hold-probe open|hold PATH
// A second viewer process for the exclusive-hold tests: loads PATH into a page view as the
// Open command does.
//   open: prints "loaded N" (N lines) and exits 0, or prints the message box text and exits 1.
//   hold: as open, but after "held" it keeps the page (and its file) until its standard input
//         ends, then closes the view and exits 0.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <optional>
#include <string>

#include "pageview/CPLIMDispView.h"
#include "platform/framework/CDocument.h"
#include "platform/system/CStringQt.h"
#include "platform/system/PlatformUi.h"

namespace {

// Message boxes go to standard output instead of a window; no dialog is ever asked for.
class PrintedMessages : public PlatformUi {
 public:
  std::optional<std::string> ChooseFile(const FileDialogSettings&) override { return {}; }
  void ShowMessage(const CString&, const CString& text) override {
    std::cout << ToUtf8(text) << std::endl;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode != "open" && mode != "hold") {
    std::cerr << "usage: plimdisp-hold-probe open|hold PATH\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  PrintedMessages messages;
  InstallPlatformUi(&messages);
  {
    CDocument document;
    CPLIMDispView view(&document);
    if (!view.LoadPageFile(argv[2])) return 1;
    if (mode == "open") {
      std::cout << "loaded " << view.lineCount() << std::endl;
      return 0;
    }
    std::cout << "held" << std::endl;
    std::cin.ignore(std::numeric_limits<std::streamsize>::max());
  }
  InstallPlatformUi(nullptr);
  return 0;
}
