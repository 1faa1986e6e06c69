#pragma once

#include <string>

#include "platform/system/CString.h"
#include "platform/system/PlatformUi.h"

class QWidget;

// A modal file dialog. Set the type list through GetOFN() before DoModal().
class CFileDialog {
 public:
  CFileDialog(bool openFileDialog, const CString& defaultExt = {}, const CString& fileName = {},
              unsigned flags = OFN_HIDEREADONLY, QWidget* parent = nullptr);

  FileDialogSettings& GetOFN() { return settings_; }

  // IDOK once a file is chosen, IDCANCEL otherwise.
  int DoModal();
  // The chosen file's full native path; empty before a confirmed DoModal().
  const std::string& GetPathName() const { return path_; }
  // The chosen file's name without its folder and its last extension.
  CString GetFileTitle() const;

 private:
  FileDialogSettings settings_;
  std::string path_;
};

// "page01.plim" -> "page01", "/x/a.b.plim" -> "a.b". A leading dot does not start an
// extension (".plim" stays ".plim"). Path bytes are decoded as file names are.
CString FileTitleFromPath(const std::string& path);
