#pragma once

#include <cstdint>

#include "platform/canvas/StretchDIBits.h"

// How a drawing pass writes text: a cell `cellHeight` device pixels high in the face named
// `face` (another face stands in when it is missing), glyphs in `color` (0x00BBGGRR).
struct TextStyle {
  int cellHeight = 0;
  const wchar_t* face = nullptr;
  std::uint32_t color = 0;
};

// What a drawing pass and the line rasteriser need of a drawing context, without Qt: the
// clipped canvas that transfers are planned against and drawn onto, and text in one style.
// Text coordinates are logical, as for transfers.
class DrawingTarget {
 public:
  // The canvas, the logical point on its pixel (0, 0) and the clip.
  virtual const ClippedCanvas& Target() const = 0;

  // Makes `style` the style of the text calls below. When its face cannot be made, the
  // context's default font stands in and the colour still applies.
  virtual void SelectTextStyle(const TextStyle& style) = 0;
  // Height of the cell TextOut fills in the selected style, pixels; 0 when no text can be
  // drawn (no GUI application).
  virtual int TextCellHeight() = 0;
  // Advance width of `length` wide characters in the selected style, pixels; 0 when no text
  // can be drawn.
  virtual std::int64_t TextAdvance(const wchar_t* text, int length) = 0;
  // Fills the text's cell (advance x cell height) white and draws the glyphs, the cell's
  // top-left corner at logical (x, y), clipped. False only when text cannot be drawn at all.
  virtual bool TextOut(int x, int y, const wchar_t* text, int length) = 0;

 protected:
  ~DrawingTarget() = default;
};
