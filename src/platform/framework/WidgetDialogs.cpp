#include "platform/framework/WidgetDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/framework/DialogFrame.h"
#include "platform/system/CStringQt.h"

namespace {

class Widgets : public PlatformUi {
 public:
  std::optional<std::string> ChooseFile(const FileDialogSettings& settings) override {
    // A dialog without an owner would be a free top-level window, which window managers give
    // minimise and maximise buttons and a taskbar entry.
    QFileDialog dialog(settings.parent != nullptr ? settings.parent
                                                  : QApplication::activeWindow());
    UseModalDialogFrame(&dialog);
    dialog.setAcceptMode(settings.openFileDialog ? QFileDialog::AcceptOpen
                                                 : QFileDialog::AcceptSave);
    dialog.setFileMode(settings.openFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const FileFilter& filter : settings.filters) filters << QtNameFilter(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!settings.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(settings.defaultExt));
    if (!settings.fileName.empty()) dialog.selectFile(ToQString(settings.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return QFile::encodeName(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()))
        .toStdString();
  }

  void ShowMessage(const CString& caption, const CString& text) override {
    QMessageBox box(QMessageBox::Warning, ToQString(caption), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    UseModalDialogFrame(&box);
    box.exec();
  }
};

}  // namespace

PlatformUi& WidgetDialogs() {
  static Widgets widgets;
  return widgets;
}

QString QtNameFilter(const FileFilter& filter) {
  QStringList patterns = ToQString(filter.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& pattern : patterns) pattern = pattern.trimmed();
  const QString list = patterns.join(QLatin1Char(' '));
  const QString description = ToQString(filter.description);
  if (description.endsWith(QLatin1Char('(') + list + QLatin1Char(')'))) return description;
  return description + QStringLiteral(" (") + list + QLatin1Char(')');
}
