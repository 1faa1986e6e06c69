#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/canvas/Bitmap.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/DrawingTarget.h"
#include "platform/canvas/StretchDIBits.h"
#include "platform/system/LabelText.h"

class CFont;

using COLORREF = std::uint32_t;  // 0x00BBGGRR

inline constexpr int MM_TEXT = 1;  // one logical unit is one device pixel, y grows downward

// A drawing context over a Canvas. Logical coordinates map to canvas pixels by subtracting the
// window origin (the scroll position on screen, the band's offset when printing); everything
// drawn is clipped to the clip rectangle, in canvas pixels, which always lies within the
// canvas. Text is drawn with the context's fixed defaults: an opaque white cell behind the
// glyphs, and the given point at the cell's top-left corner.
class CDC : public DrawingTarget {
 public:
  explicit CDC(Canvas& canvas);
  ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // The logical point that lands on canvas pixel (0, 0).
  void SetWindowOrg(std::int32_t x, std::int32_t y);
  // Sets the clip rectangle, cut to the canvas. The whole canvas to begin with.
  void SetClipRect(const PixelRect& clip);
  const PixelRect& GetClipRect() const { return target_.clip; }
  // The canvas, origin and clip, for planning transfers.
  const ClippedCanvas& Target() const override { return target_; }

  // The scale of a print preview, in device pixels per printer dot: the drawing pass multiplies
  // its zoom by it, and TextOut draws each text cell and its glyphs scaled by it (the point
  // itself is already scaled), so the page looks like the printed one, shrunk or enlarged,
  // with glyphs drawn at their shown size. 1 (the default) is no preview; values outside
  // (0, kMaxPreviewScale] are taken as 1.
  static constexpr float kMaxPreviewScale = 64.0f;
  void SetPreviewScale(float scale);
  float PreviewScale() const { return previewScale_; }

  // Marked by a drawing pass that could not draw everything (a buffer it could not have). A
  // print job then fails rather than putting out a page with parts missing; the screen just
  // shows what was drawn until the next pass.
  void SetIncomplete() { incomplete_ = true; }
  bool Incomplete() const { return incomplete_; }

  // Only MM_TEXT exists. Returns the previous mode, or 0 (mode unchanged) for any other mode.
  int SetMapMode(int mode);
  // Selects the font for TextOut and returns the one selected before (nullptr: the context's
  // own default font). The context does not own the font.
  CFont* SelectObject(CFont* font);
  // Returns the previous text colour. The initial colour is black.
  COLORREF SetTextColor(COLORREF color);

  // Fills the text's cell (advance width x cell height) white and draws the glyphs in the text
  // colour, the cell's top-left corner at logical (x, y). Empty text (or a negative length)
  // draws nothing. Returns false only when text cannot be drawn at all (no label text engine, or
  // its GUI application is missing).
  bool TextOut(int x, int y, const wchar_t* text, int length) override;

  // Text in one style for a drawing pass: selects a font the context makes and keeps (made
  // again only when the face or height changes) and sets the text colour.
  void SelectTextStyle(const TextStyle& style) override;
  int TextCellHeight() override;
  std::int64_t TextAdvance(const wchar_t* text, int length) override;

  // The transfer of ::StretchDIBits onto this context's canvas, origin and clip.
  int StretchDIBits(std::int32_t xDest, std::int32_t yDest, std::int32_t wDest, std::int32_t hDest,
                    std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc,
                    const void* bits, const BITMAPINFOHEADER* header, std::uint32_t usage,
                    std::uint32_t rop);

 private:
  ClippedCanvas target_;
  // The installed label text engine when it can draw, nullptr otherwise.
  static LabelTextEngine* ReadyEngine();
  // The selected font, or the engine's default font when none is selected or made.
  const LabelFont& CurrentFont(LabelTextEngine& engine) const;

  CFont* font_ = nullptr;
  std::unique_ptr<CFont> styleFont_;  // made by SelectTextStyle
  std::wstring madeFace_;             // the face and cell height styleFont_ was asked for
  int madeCellHeight_ = 0;
  COLORREF textColor_ = 0;
  int mapMode_ = MM_TEXT;
  float previewScale_ = 1.0f;
  bool incomplete_ = false;
};
