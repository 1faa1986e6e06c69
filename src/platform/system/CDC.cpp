#include "platform/system/CDC.h"

#include <algorithm>
#include <cmath>
#include <string_view>

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
  LabelTextEngine* engine = ReadyEngine();
  if (engine == nullptr) return false;

  const LabelFont& font = CurrentFont(*engine);
  // A preview draws the cell and its glyphs scaled by its scale.
  const std::int64_t advance =
      std::lround(static_cast<float>(font.Advance(text, length)) * previewScale_);
  const std::int64_t cellHeight =
      std::lround(static_cast<float>(font.CellHeight()) * previewScale_);

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
  TextDrawing drawing;
  drawing.canvas = target_.canvas;
  drawing.clip = clip;
  drawing.cell = {static_cast<std::int32_t>(std::max<std::int64_t>(left, clip.left)),
                  static_cast<std::int32_t>(std::max<std::int64_t>(top, clip.top)),
                  static_cast<std::int32_t>(std::min<std::int64_t>(left + advance, clip.right)),
                  static_cast<std::int32_t>(std::min<std::int64_t>(top + cellHeight, clip.bottom))};
  drawing.left = left;
  drawing.top = top;
  drawing.scale = previewScale_;
  drawing.color = textColor_;
  drawing.font = &font;
  drawing.text = text;
  drawing.length = length;
  engine->Draw(drawing);
  return true;
}

int CDC::StretchDIBits(std::int32_t xDest, std::int32_t yDest, std::int32_t wDest,
                       std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc,
                       std::int32_t hSrc, const void* bits, const BITMAPINFOHEADER* header,
                       std::uint32_t usage, std::uint32_t rop) {
  return ::StretchDIBits(target_, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, bits, header,
                         usage, rop);
}

LabelTextEngine* CDC::ReadyEngine() {
  LabelTextEngine* engine = InstalledLabelText();
  return engine != nullptr && engine->Ready() ? engine : nullptr;
}

const LabelFont& CDC::CurrentFont(LabelTextEngine& engine) const {
  return font_ != nullptr && font_->IsCreated() ? *font_->Font() : engine.DefaultFont();
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
  LabelTextEngine* engine = ReadyEngine();
  if (engine == nullptr) return 0;
  return static_cast<int>(
      std::lround(static_cast<float>(CurrentFont(*engine).CellHeight()) * previewScale_));
}

std::int64_t CDC::TextAdvance(const wchar_t* text, int length) {
  LabelTextEngine* engine = ReadyEngine();
  if (text == nullptr || length <= 0 || engine == nullptr) return 0;
  return std::lround(static_cast<float>(CurrentFont(*engine).Advance(text, length)) *
                     previewScale_);
}
