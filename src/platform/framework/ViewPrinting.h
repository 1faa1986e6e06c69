#pragma once

#include <functional>

class CView;
class QPrinter;

// The print commands of a view: Print with the print dialog, direct Print on the chosen
// printer, and Print Preview.
enum class PrintCommand { kDialog, kDirect, kPreview };

// Runs `command` on `view`: OnPreparePrinting, then the print job or the preview.
void RunPrintCommand(CView& view, PrintCommand command);

// Replaces the print dialog: the function gets the printer and returns whether to print.
// nullptr restores the real dialog.
void SetPrintDialogForTesting(std::function<bool(QPrinter&)> dialog);
