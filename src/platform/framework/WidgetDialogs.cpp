#include "platform/framework/WidgetDialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringList>
#include <QTreeView>

#include "platform/framework/DialogFrame.h"
#include "platform/system/CStringQt.h"

namespace {

// The columns of Qt's file list.
enum FileColumn { kNameColumn, kSizeColumn, kTypeColumn, kDateColumn };

// Qt's file list writes sizes, dates and the folder type in the system's locale; these write
// them in the program's (the default locale), as every other text of the interface is.
class LocalisedFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const QVariant shown = QIdentityProxyModel::data(index, role);
    if (files == nullptr || role != Qt::DisplayRole || shown.toString().isEmpty()) return shown;
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
      case kSizeColumn:
        return QLocale().formattedDataSize(files->size(source));
      case kDateColumn:
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
      case kTypeColumn:
        // Qt names files by their MIME type's comment in the program's language already, but
        // folders by a text its translations lack under that name; the dialog's own has it.
        return files->isDir(source) ? QCoreApplication::translate("QFileDialog", "Folder") : shown;
      default:
        return shown;
    }
  }
};

// Gives the size and date columns of `dialog`'s list room for their widest usual texts, and the
// list the width to show every column.
void WidenFileColumns(QFileDialog& dialog) {
  auto* list = dialog.findChild<QTreeView*>();
  if (list == nullptr) return;
  const QLocale locale;
  const std::pair<int, QString> widest[] = {
      {kSizeColumn, locale.formattedDataSize(1023 * 1024 + 1000)},
      {kDateColumn,
       locale.toString(QDateTime(QDate(2000, 12, 28), QTime(23, 58)), QLocale::ShortFormat)},
  };
  // Room for the cell's and the header's margins and the sort arrow.
  const int margin = list->fontMetrics().averageCharWidth() * 4;
  for (const auto& [column, text] : widest) {
    const int width = list->fontMetrics().horizontalAdvance(text) + margin;
    if (list->header()->sectionSize(column) < width) list->header()->resizeSection(column, width);
  }
  list->setMinimumWidth(list->header()->length() + list->verticalScrollBar()->sizeHint().width() +
                        2 * list->frameWidth());
}

class Widgets : public PlatformUi {
 public:
  std::optional<std::string> ChooseFile(const FileDialogSettings& settings) override {
    // A dialog without an owner would be a free top-level window, which window managers give
    // minimise and maximise buttons and a taskbar entry.
    QFileDialog dialog(settings.parent != nullptr ? settings.parent : QApplication::activeWindow());
    UseModalDialogFrame(&dialog);
    // Qt's own dialog, which speaks the program's language; the desktop's would speak the
    // system's.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocalisedFileColumns(&dialog));
    WidenFileColumns(dialog);
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
