#include "BaselinePasses.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <optional>
#include <string>

#include "platform/system/CFont.h"
#include "platform/system/CodePage.h"
#include "platform/canvas/Scale.h"
#include "raster/DrawLineBitmap.h"
#include "raster/LineBitmap.h"

namespace {

constexpr int kLabelHeight = 16;
constexpr COLORREF kLabelColor = 0x00FF0000;

void MakeLabelFont(CFont& font) {
  font.CreateFontW(kLabelHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"宋体");
}

std::wstring LabelText(const PageLine& line) {
  const std::string_view bytes(reinterpret_cast<const char*>(line.label.data()), line.label.size());
  return DecodeMultiByte(bytes).value_or(std::wstring{});
}

}  // namespace

void LiteralPass(CDC& dc, std::span<const PageLine> lines, float zoom) {
  CFont font;
  MakeLabelFont(font);
  CFont* const previous = dc.SelectObject(&font);
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  for (const PageLine& line : lines) {
    LineBitmap bitmap;
    if (!BuildLineBitmap(line, bitmap)) break;
    DrawLineBitmap(dc, line, bitmap, header, zoom);
    dc.SetTextColor(kLabelColor);
    const std::wstring text = LabelText(line);
    dc.TextOut(ScaleToDevice(line.left, zoom), ScaleToDevice(line.top, zoom), text.c_str(),
               static_cast<int>(text.size()));
  }
  dc.SelectObject(previous);
}

void QtPainterPass(CDC& dc, std::span<const PageLine> lines, float zoom) {
  CFont font;
  MakeLabelFont(font);
  const DrawTarget& target = dc.Target();
  Canvas& canvas = *target.canvas;
  QImage image(canvas.bytes(), canvas.width(), canvas.height(), canvas.strideBytes(),
               QImage::Format_RGB32);
  QPainter painter(&image);
  const PixelRect& clip = target.clip;
  const QRect clipRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  painter.setClipRect(clipRect);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setFont(font.qfont());
  painter.setPen(QColor(0, 0, 255));
  for (const PageLine& line : lines) {
    const LineDest dest = LineDestination(line, zoom);
    const QRect destRect(dest.x - target.originX, dest.y + dest.height - target.originY, dest.width,
                         -dest.height);
    if (line.width > 0 && line.height > 0 && destRect.intersects(clipRect)) {
      const QImage grey(line.pixels.data(), line.width, line.height, line.width,
                        QImage::Format_Grayscale8);
      painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      painter.drawImage(destRect, grey.convertToFormat(QImage::Format_RGB32));
    }
    const std::wstring text = LabelText(line);
    if (text.empty()) continue;
    const QString string = QString::fromStdWString(text);
    const QPoint corner(ScaleToDevice(line.left, zoom) - target.originX,
                        ScaleToDevice(line.top, zoom) - target.originY);
    const QRect cell(corner, QSize(painter.fontMetrics().horizontalAdvance(string), kLabelHeight));
    if (!cell.intersects(clipRect)) continue;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(cell, Qt::white);
    painter.drawText(corner + QPoint(0, font.Ascent()), string);
  }
}
