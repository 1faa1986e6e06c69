#include "platform/system/CFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "platform/system/CFileDialogQt.h"
#include "platform/system/CStringQt.h"
#include "platform/system/DialogFrame.h"

namespace {

// Runs the real dialog; the chosen native path, or nothing when cancelled.
std::optional<std::string> RunQtFileDialog(const FileDialogSettings& settings, QWidget* parent) {
  // A dialog without an owner would be a free top-level window, which window managers give
  // minimise and maximise buttons and a taskbar entry.
  QFileDialog dialog(parent != nullptr ? parent : QApplication::activeWindow());
  UseModalDialogFrame(&dialog);
  dialog.setAcceptMode(settings.openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(settings.openFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  QStringList filters;
  for (const FileFilter& filter : settings.filters) filters << QtNameFilter(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!settings.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(settings.defaultExt));
  if (!settings.fileName.empty()) dialog.selectFile(ToQString(settings.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()))
      .toStdString();
}

}  // namespace

QString QtNameFilter(const FileFilter& filter) {
  QStringList patterns = ToQString(filter.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& pattern : patterns) pattern = pattern.trimmed();
  const QString list = patterns.join(QLatin1Char(' '));
  const QString description = ToQString(filter.description);
  if (description.endsWith(QLatin1Char('(') + list + QLatin1Char(')'))) return description;
  return description + QStringLiteral(" (") + list + QLatin1Char(')');
}

CFileDialog::CFileDialog(bool openFileDialog, const CString& defaultExt, const CString& fileName,
                         unsigned flags, QWidget* parent)
    : parent_(parent) {
  settings_.openFileDialog = openFileDialog;
  settings_.defaultExt = defaultExt;
  settings_.fileName = fileName;
  settings_.flags = flags;
}

int CFileDialog::DoModal() {
  path_.clear();
  PlatformUi* ui = InstalledPlatformUi();
  std::optional<std::string> chosen =
      ui ? ui->ChooseFile(settings_) : RunQtFileDialog(settings_, parent_);
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
