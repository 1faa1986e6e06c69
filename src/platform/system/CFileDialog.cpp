#include "platform/system/CFileDialog.h"

#include <QByteArray>
#include <QFile>

#include "platform/system/CStringQt.h"

CFileDialog::CFileDialog(bool openFileDialog, const CString& defaultExt, const CString& fileName,
                         unsigned flags, QWidget* parent) {
  settings_.parent = parent;
  settings_.openFileDialog = openFileDialog;
  settings_.defaultExt = defaultExt;
  settings_.fileName = fileName;
  settings_.flags = flags;
}

int CFileDialog::DoModal() {
  path_.clear();
  PlatformUi* ui = ActivePlatformUi();
  std::optional<std::string> chosen = ui ? ui->ChooseFile(settings_) : std::nullopt;
  if (!chosen || chosen->empty()) return IDCANCEL;
  path_ = std::move(*chosen);
  return IDOK;
}

CString CFileDialog::GetFileTitle() const { return FileTitleFromPath(path_); }

CString FileTitleFromPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return FromQString(QFile::decodeName(QByteArray::fromStdString(name)));
}
