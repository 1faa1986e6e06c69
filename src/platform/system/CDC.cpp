#include "platform/system/CDC.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include "platform/system/CFont.h"

CDC::CDC(Canvas& canvas) {
  target_.canvas = &canvas;
  target_.clip = {0, 0, canvas.width(), canvas.height()};
}

CDC::~CDC() = default;

void CDC::SetWindowOrg(std::int32_t x, std::int32_t y) {
  target_.originX = x;
  target_.originY = y;
}

void CDC::SetClipRect(const PixelRect& clip) {
  const Canvas& canvas = *target_.canvas;
  target_.clip.left = std::clamp(clip.left, 0, canvas.width());
  target_.clip.top = std::clamp(clip.top, 0, canvas.height());
  target_.clip.right = std::clamp(clip.right, target_.clip.left, canvas.width());
  target_.clip.bottom = std::clamp(clip.bottom, target_.clip.top, canvas.height());
}

void CDC::SetPreviewScale(float scale) {
  previewScale_ = scale > 0.0f && scale <= kMaxPreviewScale ? scale : 1.0f;
}

int CDC::SetMapMode(int mode) {
  if (mode != MM_TEXT) return 0;
  const int previous = mapMode_;
  mapMode_ = mode;
  return previous;
}

CFont* CDC::SelectObject(CFont* font) {
  CFont* previous = font_;
  font_ = font;
  return previous;
}

COLORREF CDC::SetTextColor(COLORREF color) {
  const COLORREF previous = textColor_;
  textColor_ = color & 0x00FFFFFF;
  return previous;
}

bool CDC::TextOut(int x, int y, const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return true;
  if (QGuiApplication::instance() == nullptr) return false;

  const bool ownFont = font_ != nullptr && font_->IsCreated();
  const QFont font = CurrentFont();
  const QFontMetrics metrics(font);
  const QString string = QString::fromWCharArray(text, length);
  // A preview draws the cell and its glyphs scaled by its scale.
  const std::int64_t advance = std::lround(metrics.horizontalAdvance(string) * previewScale_);
  const std::int64_t cellHeight =
      std::lround((ownFont ? font_->CellHeight() : metrics.height()) * previewScale_);
  const int ascent = ownFont ? font_->Ascent() : metrics.ascent();

  // The cell in canvas pixels, in 64 bits: logical points far off the canvas must not wrap.
  const std::int64_t left = std::int64_t{x} - target_.originX;
  const std::int64_t top = std::int64_t{y} - target_.originY;
  const PixelRect& clip = target_.clip;
  if (clip.Empty() || left >= clip.right || left + advance <= clip.left || top >= clip.bottom ||
      top + cellHeight <= clip.top) {
    return true;
  }
  // Only the part of the cell within the clip is filled: its bounds fit in int, whatever the
  // scale.
  const QRect cell(
      QPoint(static_cast<int>(std::max<std::int64_t>(left, clip.left)),
             static_cast<int>(std::max<std::int64_t>(top, clip.top))),
      QPoint(static_cast<int>(std::min<std::int64_t>(left + advance, clip.right)) - 1,
             static_cast<int>(std::min<std::int64_t>(top + cellHeight, clip.bottom)) - 1));

  Canvas& canvas = *target_.canvas;
  QImage image(canvas.bytes(), canvas.width(), canvas.height(), canvas.strideBytes(),
               QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
  painter.fillRect(cell, Qt::white);
  painter.setFont(font);
  painter.setPen(QColor(textColor_ & 0xFF, (textColor_ >> 8) & 0xFF, (textColor_ >> 16) & 0xFF));
  painter.translate(static_cast<qreal>(left), static_cast<qreal>(top));
  if (previewScale_ != 1.0f) painter.scale(previewScale_, previewScale_);
  painter.drawText(QPointF(0.0, static_cast<qreal>(ascent)), string);
  return true;
}

int CDC::StretchDIBits(std::int32_t xDest, std::int32_t yDest, std::int32_t wDest,
                       std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc,
                       std::int32_t hSrc, const void* bits, const BITMAPINFOHEADER* header,
                       std::uint32_t usage, std::uint32_t rop) {
  return ::StretchDIBits(target_, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, bits, header,
                         usage, rop);
}

QFont CDC::CurrentFont() const {
  return font_ != nullptr && font_->IsCreated() ? font_->qfont() : QGuiApplication::font();
}

void CDC::SelectTextStyle(const TextStyle& style) {
  const std::wstring_view face = style.face != nullptr ? style.face : L"";
  if (styleFont_ == nullptr || madeCellHeight_ != style.cellHeight || madeFace_ != face) {
    styleFont_ = std::make_unique<CFont>();
    madeFace_ = face;
    madeCellHeight_ = style.cellHeight;
    // A font that cannot be made leaves the context's default font for the text.
    styleFont_->CreateFontW(style.cellHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, madeFace_.c_str());
  }
  SelectObject(styleFont_.get());
  SetTextColor(style.color);
}

int CDC::TextCellHeight() {
  if (QGuiApplication::instance() == nullptr) return 0;
  const int height = font_ != nullptr && font_->IsCreated() ? font_->CellHeight()
                                                            : QFontMetrics(CurrentFont()).height();
  return static_cast<int>(std::lround(height * previewScale_));
}

std::int64_t CDC::TextAdvance(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0 || QGuiApplication::instance() == nullptr) return 0;
  const int advance =
      QFontMetrics(CurrentFont()).horizontalAdvance(QString::fromWCharArray(text, length));
  return std::lround(advance * previewScale_);
}
