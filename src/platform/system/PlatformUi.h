#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system/CString.h"

class QWidget;

// Results of modal dialogs and message boxes.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// File-dialog option: no read-only check box.
inline constexpr unsigned OFN_HIDEREADONLY = 0x4;

// One entry of a file dialog's type list. `pattern` holds one or more patterns separated by
// ';', e.g. L"*.plim".
struct FileFilter {
  CString description;
  CString pattern;
};

// What a file dialog is asked to show.
struct FileDialogSettings {
  bool openFileDialog = true;  // false: a save dialog
  std::vector<FileFilter> filters;
  CString defaultExt;         // empty: none
  CString fileName;           // initial name; empty: none
  unsigned flags = 0;         // OFN_* options
  QWidget* parent = nullptr;  // the window the dialog belongs to; nullptr: none
};

// The seam between the program and its modal dialogs. Tests install their own to answer file
// dialogs and to capture message boxes without any window; with none installed the fallback
// seam runs: the real widgets, which the application provides. Without either, file dialogs
// are cancelled and message boxes are not shown.
class PlatformUi {
 public:
  virtual ~PlatformUi() = default;
  // The chosen file as a native path, or nothing when the dialog is cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogSettings& settings) = 0;
  virtual void ShowMessage(const CString& caption, const CString& text) = 0;
};

// The installed seam, or nullptr for the fallback. The caller keeps `ui` alive while it is
// installed; installing nullptr restores the fallback.
PlatformUi* InstalledPlatformUi();
void InstallPlatformUi(PlatformUi* ui);

// The seam used while none is installed (nullptr: none). The caller keeps `ui` alive.
void SetFallbackPlatformUi(PlatformUi* ui);
// The installed seam, else the fallback, else nullptr: the one a dialog runs through.
PlatformUi* ActivePlatformUi();
