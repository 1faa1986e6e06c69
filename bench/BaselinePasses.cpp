#include "BaselinePasses.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/canvas/Scale.h"
#include "platform/system/CFont.h"
#include "platform/system/CodePage.h"
#include "platform/text/QtLabelText.h"
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

// The line's 24-bit bitmap, image row i in buffer row i, every channel the grey byte; rows
// padded to a multiple of 4 pixels. Empty when the line has no pixels.
std::vector<std::uint8_t> PlainLineBitmap(const PageLine& line, std::int64_t stride) {
  if (line.width <= 0 || line.height <= 0 ||
      line.pixels.size() <
          static_cast<std::size_t>(line.width) * static_cast<std::size_t>(line.height)) {
    return {};
  }
  std::vector<std::uint8_t> bitmap(static_cast<std::size_t>(stride * line.height));
  const std::uint8_t* grey = line.pixels.data();
  for (std::int64_t i = 0; i < line.height; ++i) {
    for (std::int64_t j = 0; j < line.width; ++j) {
      const std::uint8_t g = grey[i * line.width + j];
      std::uint8_t* const pixel = &bitmap[static_cast<std::size_t>(i * stride + 3 * j)];
      pixel[0] = g;
      pixel[1] = g;
      pixel[2] = g;
    }
  }
  return bitmap;
}

// Destination pixel k of `dest` takes the source indices [first, last) of `source`: the
// nearest one when stretching; when shrinking, the pixels that drop out are merged into the
// ones that remain.
void PlainSpan(std::int64_t k, std::int64_t source, std::int64_t dest, std::int64_t& first,
               std::int64_t& last) {
  first = source * k / dest;
  last = std::max(first + 1, source * (k + 1) / dest);
}

// ANDs the bitmap, stretched to its destination (x, y, width, height) in logical units with a
// height of 0 or less that runs upward from y, onto the clipped canvas pixel by pixel. The
// buffer's first row lands on the destination's top row.
void PlainStretchedAnd(const ClippedCanvas& target, const std::vector<std::uint8_t>& bitmap,
                       std::int64_t stride, const PageLine& line, const LineDest& dest) {
  const std::int64_t width = dest.width;
  const std::int64_t height = -std::int64_t{dest.height};
  if (bitmap.empty() || width <= 0 || height <= 0) return;
  const std::int64_t left = std::int64_t{dest.x} - target.originX;
  const std::int64_t top = std::int64_t{dest.y} - height - target.originY;
  const std::int64_t x0 = std::max<std::int64_t>(left, target.clip.left);
  const std::int64_t x1 = std::min<std::int64_t>(left + width, target.clip.right);
  const std::int64_t y0 = std::max<std::int64_t>(top, target.clip.top);
  const std::int64_t y1 = std::min<std::int64_t>(top + height, target.clip.bottom);
  for (std::int64_t y = y0; y < y1; ++y) {
    std::int64_t rowFirst = 0, rowLast = 0;
    PlainSpan(y - top, line.height, height, rowFirst, rowLast);
    std::uint32_t* const canvasRow = target.canvas->Row(static_cast<std::int32_t>(y));
    for (std::int64_t x = x0; x < x1; ++x) {
      std::int64_t columnFirst = 0, columnLast = 0;
      PlainSpan(x - left, line.width, width, columnFirst, columnLast);
      std::uint8_t blue = 0xFF, green = 0xFF, red = 0xFF;
      for (std::int64_t row = rowFirst; row < rowLast; ++row) {
        for (std::int64_t column = columnFirst; column < columnLast; ++column) {
          const std::uint8_t* const pixel =
              &bitmap[static_cast<std::size_t>(row * stride + 3 * column)];
          blue &= pixel[0];
          green &= pixel[1];
          red &= pixel[2];
        }
      }
      canvasRow[x] &= 0xFF000000u | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
    }
  }
}

}  // namespace

void LiteralPass(CDC& dc, std::span<const PageLine> lines, float zoom) {
  CFont font;
  MakeLabelFont(font);
  CFont* const previous = dc.SelectObject(&font);
  for (const PageLine& line : lines) {
    const std::int64_t stride = std::int64_t{PaddedWidth(line.width)} * 3;
    PlainStretchedAnd(dc.Target(), PlainLineBitmap(line, stride), stride, line,
                      LineDestination(line, zoom));
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
  const ClippedCanvas& target = dc.Target();
  Canvas& canvas = *target.canvas;
  QImage image(canvas.bytes(), canvas.width(), canvas.height(), canvas.strideBytes(),
               QImage::Format_RGB32);
  QPainter painter(&image);
  const PixelRect& clip = target.clip;
  const QRect clipRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  painter.setClipRect(clipRect);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setFont(QtFontOf(*font.Font()));
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
