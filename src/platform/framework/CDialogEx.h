#pragma once

#include <QDialog>
#include <QPointer>

#include "platform/framework/CCmdTarget.h"

class QWidget;

// A modal dialog built from a dialog resource. Sizes and positions convert from dialog units
// with the dialog font's metrics. The default push button (OK) closes it with its id, as does
// Enter; Escape closes it with IDCANCEL.
class CDialogEx : public CCmdTarget {
 public:
  explicit CDialogEx(UINT templateId, QWidget* parent = nullptr);
  ~CDialogEx() override;

  // Builds the window without showing it; false for an unknown template. DoModal builds it
  // when needed.
  bool Create();
  // Runs the dialog modally; returns the id of the button that closed it, or IDCANCEL.
  int DoModal();

  // The built window (null before Create).
  QDialog* Window() const { return dialog_; }

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  UINT templateId_;
  QWidget* parent_;
  QPointer<QDialog> dialog_;
};

// The pixel size of one horizontal and one vertical dialog unit times 4 and 8: the average
// character width and the character height of `font`.
struct DialogBaseUnits {
  int x;
  int y;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
// Converts a rectangle in dialog units to pixels with `units`.
QRect DialogUnitsToPixels(const QRect& rect, DialogBaseUnits units);
