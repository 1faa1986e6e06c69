#include "platform/framework/ResourceImages.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"

namespace {

// Every picture is drawn on a 16 x 15 grid and scaled to the requested size.
constexpr qreal kGridWidth = 16;
constexpr qreal kGridHeight = 15;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kFolder(0xE8, 0xC0, 0x40);
const QColor kAccent(0x20, 0x50, 0xC0);

void DrawPage(QPainter& p, qreal x, qreal y) {
  QPainterPath page;
  page.moveTo(x, y);
  page.lineTo(x + 6, y);
  page.lineTo(x + 9, y + 3);
  page.lineTo(x + 9, y + 12);
  page.lineTo(x, y + 12);
  page.closeSubpath();
  p.setBrush(kPaper);
  p.drawPath(page);
  p.drawLine(QPointF(x + 6, y), QPointF(x + 6, y + 3));
  p.drawLine(QPointF(x + 6, y + 3), QPointF(x + 9, y + 3));
}

void DrawNew(QPainter& p) { DrawPage(p, 3.5, 1.5); }

void DrawOpen(QPainter& p) {
  p.setBrush(kFolder);
  p.drawRect(QRectF(1.5, 4.5, 11, 8));
  p.drawRect(QRectF(1.5, 3.5, 4, 1));
  p.setPen(kAccent);
  p.drawLine(QPointF(10.5, 1.5), QPointF(14.5, 1.5));
  p.drawLine(QPointF(14.5, 1.5), QPointF(14.5, 5.5));
}

void DrawSave(QPainter& p) {
  p.setBrush(kAccent);
  p.drawRect(QRectF(1.5, 1.5, 12, 12));
  p.setBrush(kPaper);
  p.drawRect(QRectF(3.5, 1.5, 8, 5));
  p.drawRect(QRectF(4.5, 9.5, 6, 4));
}

void DrawCut(QPainter& p) {
  p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 9.5));
  p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 9.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(2, 9.5, 4, 4));
  p.drawEllipse(QRectF(10, 9.5, 4, 4));
}

void DrawCopy(QPainter& p) {
  DrawPage(p, 1.5, 0.5);
  DrawPage(p, 5.5, 2.5);
}

void DrawPaste(QPainter& p) {
  p.setBrush(kFolder);
  p.drawRect(QRectF(1.5, 2.5, 9, 11));
  p.setBrush(kInk);
  p.drawRect(QRectF(4.5, 1.5, 3, 2));
  DrawPage(p, 6.5, 5.5);
}

void DrawPrint(QPainter& p) {
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 1.5, 7, 5));
  p.setBrush(QColor(0xA0, 0xA0, 0xA0));
  p.drawRect(QRectF(1.5, 6.5, 13, 5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 9.5, 7, 4));
}

void DrawAbout(QPainter& p) {
  p.setBrush(kAccent);
  p.drawEllipse(QRectF(1.5, 0.5, 13, 13));
  p.setPen(QPen(kPaper, 1.6));
  p.drawArc(QRectF(5.5, 3, 5, 4.5), 180 * 16, -270 * 16);
  p.drawLine(QPointF(8, 7.5), QPointF(8, 9));
  p.drawPoint(QPointF(8, 11.2));
}

// The viewer's own mark: a page with two text lines and a magnifying lens.
void DrawProgramMark(QPainter& p) {
  DrawPage(p, 2.5, 1.5);
  p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
  p.drawLine(QPointF(4, 9.5), QPointF(8, 9.5));
  p.setPen(QPen(kAccent, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(8.5, 6.5, 5, 5));
  p.drawLine(QPointF(13, 11), QPointF(15, 13.5));
}

// A page window's mark: a page with text lines only.
void DrawPageMark(QPainter& p) {
  DrawPage(p, 3.5, 1.5);
  p.setPen(kAccent);
  for (qreal y : {6.5, 8.5, 10.5}) p.drawLine(QPointF(5, y), QPointF(11, y));
}

using Painting = void (*)(QPainter&);

struct ButtonPicture {
  UINT command;
  Painting paint;
};

constexpr ButtonPicture kButtonPictures[] = {
    {ID_FILE_NEW, DrawNew},     {ID_FILE_OPEN, DrawOpen},  {ID_FILE_SAVE, DrawSave},
    {ID_EDIT_CUT, DrawCut},     {ID_EDIT_COPY, DrawCopy},  {ID_EDIT_PASTE, DrawPaste},
    {ID_FILE_PRINT, DrawPrint}, {ID_APP_ABOUT, DrawAbout},
};

Painting PictureOf(UINT command) {
  for (const ButtonPicture& picture : kButtonPictures) {
    if (picture.command == command) return picture.paint;
  }
  return nullptr;
}

// Draws `paint` scaled into `target` with the shared pen.
void DrawScaled(QPainter& p, const QRectF& target, Painting paint) {
  p.save();
  p.translate(target.topLeft());
  p.scale(target.width() / kGridWidth, target.height() / kGridHeight);
  p.setPen(QPen(kInk, 1.0));
  paint(p);
  p.restore();
}

QPixmap IconPixmap(int size, Painting paint) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, size > 16);
  DrawScaled(p, QRectF(0, 0, size, size), paint);
  return pixmap;
}

}  // namespace

QImage LoadToolBarBitmap(UINT id) {
  const ToolBarResource* bar = FindToolBarResource(id);
  if (bar == nullptr) return {};
  int images = 0;
  for (UINT button : bar->buttons) images += button != ID_SEPARATOR ? 1 : 0;
  QImage strip(bar->buttonWidth * images, bar->buttonHeight, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  int slot = 0;
  for (UINT button : bar->buttons) {
    if (button == ID_SEPARATOR) continue;
    if (Painting paint = PictureOf(button)) {
      DrawScaled(p, QRectF(slot * bar->buttonWidth, 0, bar->buttonWidth, bar->buttonHeight), paint);
    }
    ++slot;
  }
  return strip;
}

QIcon LoadIconResource(UINT id) {
  Painting paint = id == IDR_MAINFRAME  ? DrawProgramMark
                   : id == IDR_PAGETYPE ? DrawPageMark
                                        : nullptr;
  if (paint == nullptr) return {};
  QIcon icon;
  for (int size : {16, 24, 32, 48, 256}) icon.addPixmap(IconPixmap(size, paint));
  return icon;
}
