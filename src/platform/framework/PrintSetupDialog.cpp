#include "platform/framework/PrintSetupDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/framework/CommandIds.h"
#include "platform/framework/ResourceStrings.h"

namespace {

enum OrientationId { kPortrait = 0, kLandscape = 1 };

// Offered for PDF output and for a printer that names no sizes of its own.
constexpr QPageSize::PageSizeId kCommonSizes[] = {
    QPageSize::A3,     QPageSize::A4,    QPageSize::A5,        QPageSize::B5,
    QPageSize::Letter, QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid};

QList<QPageSize> SizesOf(const QString& printerName) {
  QList<QPageSize> sizes;
  if (!printerName.isEmpty()) sizes = QPrinterInfo::printerInfo(printerName).supportedPageSizes();
  if (sizes.isEmpty()) {
    for (const QPageSize::PageSizeId id : kCommonSizes) sizes << QPageSize(id);
  }
  return sizes;
}

}  // namespace

PrintSetupDialog::PrintSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
  setWindowTitle(CommandTip(ID_FILE_PRINT_SETUP));

  printers_ = new QComboBox;
  printers_->addItems(QPrinterInfo::availablePrinterNames());
  printers_->addItem(QCoreApplication::translate("QPrintDialog", "Print to File (PDF)"));
  const int current = printer.outputFormat() == QPrinter::PdfFormat
                          ? PdfEntry()
                          : printers_->findText(printer.printerName());
  printers_->setCurrentIndex(current >= 0 ? current : 0);
  auto* printerBox = new QGroupBox(LoadQString(AFX_IDS_PRINTER));
  auto* printerForm = new QFormLayout(printerBox);
  printerForm->addRow(LoadQString(AFX_IDS_PRINTER_NAME), printers_);

  paperSizes_ = new QComboBox;
  FillPaperSizes();
  connect(printers_, &QComboBox::currentIndexChanged, this, &PrintSetupDialog::FillPaperSizes);
  auto* paperBox = new QGroupBox(LoadQString(AFX_IDS_PAPER));
  auto* paperForm = new QFormLayout(paperBox);
  paperForm->addRow(LoadQString(AFX_IDS_PAPER_SIZE), paperSizes_);

  auto* portrait = new QRadioButton(LoadQString(AFX_IDS_PORTRAIT));
  auto* landscape = new QRadioButton(LoadQString(AFX_IDS_LANDSCAPE));
  orientation_ = new QButtonGroup(this);
  orientation_->addButton(portrait, kPortrait);
  orientation_->addButton(landscape, kLandscape);
  (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)
      ->setChecked(true);
  auto* orientationBox = new QGroupBox(LoadQString(AFX_IDS_ORIENTATION));
  auto* orientationRow = new QVBoxLayout(orientationBox);
  orientationRow->addWidget(portrait);
  orientationRow->addWidget(landscape);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* paperRow = new QHBoxLayout;
  paperRow->addWidget(paperBox, 1);
  paperRow->addWidget(orientationBox);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(printerBox);
  layout->addLayout(paperRow);
  layout->addWidget(buttons);
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

int PrintSetupDialog::PdfEntry() const { return printers_->count() - 1; }

void PrintSetupDialog::FillPaperSizes() {
  const QString chosen = paperSizes_->currentIndex() >= 0 ? paperSizes_->currentData().toString()
                                                          : printer_.pageLayout().pageSize().key();
  const bool pdf = printers_->currentIndex() == PdfEntry();
  sizes_ = SizesOf(pdf ? QString() : printers_->currentText());
  paperSizes_->clear();
  for (const QPageSize& size : sizes_) paperSizes_->addItem(size.name(), size.key());
  const int index = paperSizes_->findData(chosen);
  paperSizes_->setCurrentIndex(index >= 0 ? index : 0);
}

void PrintSetupDialog::accept() {
  if (printers_->currentIndex() == PdfEntry()) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
  } else {
    printer_.setOutputFormat(QPrinter::NativeFormat);
    printer_.setPrinterName(printers_->currentText());
  }
  if (const int size = paperSizes_->currentIndex(); size >= 0 && size < sizes_.size())
    printer_.setPageSize(sizes_[size]);
  printer_.setPageOrientation(orientation_->checkedId() == kLandscape ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait);
  QDialog::accept();
}
