#pragma once

#include <QDialog>
#include <QList>
#include <QPageSize>

class QButtonGroup;
class QComboBox;
class QPrinter;

// The printer set-up dialog of Print Setup, titled with the command's tooltip: the printer
// (each installed printer, then output to a PDF file), the paper size and the orientation, with
// OK and Cancel; its labels are the AFX_IDS_PRINTER... strings. It opens on the printer's current
// choice; accepting it writes the choice into the printer, cancelling leaves the printer untouched.
// It never asks for a file name: the file of PDF output is chosen in the print dialog.
class PrintSetupDialog : public QDialog {
  Q_OBJECT

 public:
  PrintSetupDialog(QPrinter& printer, QWidget* parent);

  // The entry of PDF output in the printer list; the installed printers come before it.
  int PdfEntry() const;
  QComboBox* Printers() const { return printers_; }
  QComboBox* PaperSizes() const { return paperSizes_; }
  // Checked id 0 is portrait, 1 landscape.
  QButtonGroup* Orientation() const { return orientation_; }

  void accept() override;

 private:
  void FillPaperSizes();

  QPrinter& printer_;
  QList<QPageSize> sizes_;  // the entries of paperSizes_, in order
  QComboBox* printers_ = nullptr;
  QComboBox* paperSizes_ = nullptr;
  QButtonGroup* orientation_ = nullptr;
};
