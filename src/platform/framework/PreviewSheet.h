#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

#include "platform/framework/CPrintInfo.h"

class CView;
class QPrinter;

// The sheet of a print preview: the printer's paper at a scale (device pixels per printer dot)
// on a grey ground, centred while it is smaller than the window, with the view's page drawn by
// its OnPrint on the paper's printable area at that scale, as printing draws it at scale 1.
// Every repaint draws only what it exposes, in bands (DrawInBands), so memory does not grow
// with the scale, and at the scale shown: nothing is ever drawn small and then enlarged.
//
// It opens showing the whole paper. Arrows and page keys scroll, Home goes to the paper's
// top-left corner and End to its foot. Zooming (the buttons, '+' and '-', Ctrl with the wheel)
// multiplies or divides the scale by kZoomStep, keeps the point at the window's centre in
// place, and stays between the whole-paper scale and kMaxScale.
class PreviewSheet : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr double kZoomStep = 1.5;
  static constexpr double kMaxScale = 16.0;

  // `info` is copied for the view's OnPrint; the printer must outlive the sheet.
  PreviewSheet(CView& view, const CPrintInfo& info, QPrinter& printer, QWidget* parent = nullptr);

  double Scale() const;
  // The paper's shown size in per cent of its real size on this screen.
  int ZoomPercent() const;
  bool CanZoomIn() const { return Scale() < kMaxScale; }
  bool CanZoomOut() const { return !fitting_; }
  void ZoomIn();
  void ZoomOut();
  // Shows the whole paper again, for a printer whose paper or resolution changed.
  void PrinterChanged();
  // Scrolls so that the paper's point `dots` (printer dots from its top-left corner) is at the
  // window's centre, as far as the scroll range allows.
  void CentreOn(QPointF dots);
  // The paper's size in printer dots.
  QSize PaperDots() const;

 signals:
  void ZoomChanged();
  // A repaint could not draw the page (no memory for its canvas or a line's bitmap). Sent once,
  // after the paint.
  void DrawingFailed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // The window's size in device pixels.
  QSize DeviceSize() const;
  double FitScale() const;
  // The paper's rectangle in device pixels, relative to the window's top-left corner.
  QRect PaperRect() const;
  // Sets the scale (or the whole-paper scale) keeping the point at the window's centre.
  void ZoomTo(double scale, bool fitting);
  void UpdateBars();
  void ReportFailure();

  QPointer<CView> view_;
  CPrintInfo info_;
  QPrinter& printer_;
  double scale_ = 1.0;
  bool fitting_ = true;  // the scale follows the window, showing the whole paper
  bool failed_ = false;
};
