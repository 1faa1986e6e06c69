// The page view's drawing pass, zoom keys and printing hooks.
#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "pageview/CPLIMDispView.h"
#include "platform/system/CDC.h"
#include "platform/system/CFont.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/canvas/Scale.h"
#include "raster/DrawLineBitmap.h"

namespace {

constexpr int kLabelCellHeight = 16;  // pixels, at every zoom
constexpr wchar_t kLabelFace[] = L"宋体";
constexpr COLORREF kLabelColor = 0x00FF0000;  // blue
constexpr CSize kInitialScrollSize{100, 100};

// Whether the text cell with its top-left corner at logical (x, y), `cellHeight` high and at
// most as wide as the text's advance, surely lies outside the clip of `dc`. Only the far side
// of the width can be judged without measuring the text.
bool CellMissesClip(const CDC& dc, std::int32_t x, std::int32_t y, int cellHeight) {
  const DrawTarget& target = dc.Target();
  const std::int64_t left = std::int64_t{x} - target.originX;
  const std::int64_t top = std::int64_t{y} - target.originY;
  return target.clip.Empty() || left >= target.clip.right || top >= target.clip.bottom ||
         top + cellHeight <= target.clip.top;
}

// Writes the label of `line` at its scaled top-left corner, decoded up to its first 0 byte.
void DrawLabel(CDC& dc, const PageLine& line, float zoom, const CFont& font,
               std::string_view codePage) {
  const std::int32_t x = ScaleToDevice(line.left, zoom);
  const std::int32_t y = ScaleToDevice(line.top, zoom);
  // Without its own font the context's cell height is not known here; TextOut clips that.
  if (font.IsCreated() && CellMissesClip(dc, x, y, font.CellHeight())) return;
  const std::string_view bytes(reinterpret_cast<const char*>(line.label.data()), line.label.size());
  const std::optional<std::wstring> text = DecodeMultiByte(bytes, codePage);
  if (!text || text->empty()) return;
  dc.TextOut(x, y, text->c_str(), static_cast<int>(text->size()));
}

}  // namespace

void CPLIMDispView::OnDraw(CDC* dc) {
  if (!DrawPage(dc)) dc->SetIncomplete();
}

bool CPLIMDispView::DrawPage(CDC* dc) {
  if (GetDocument() == nullptr || page_.lineCount == 0) return true;
  dc->SetMapMode(MM_TEXT);
  CFont font;
  // A font that cannot be made leaves the context's own font for the labels.
  font.CreateFontW(kLabelCellHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kLabelFace);
  CFont* const previousFont = dc->SelectObject(&font);

  const std::unique_ptr<BITMAPINFOHEADER> header(new (std::nothrow) BITMAPINFOHEADER);
  bool complete = header != nullptr;
  if (complete) InitBitmapHeader(*header);
  // A preview draws the page as printed, shrunk by the preview's scale.
  const float zoom = dc->PreviewScale() == 1.0f
                         ? zoom_
                         : static_cast<float>(double{zoom_} * double{dc->PreviewScale()});
  const std::int32_t lines = std::min(page_.UsedLines(), kMaxLines);
  for (std::int32_t i = 0; complete && i < lines; ++i) {
    const PageLine& line = page_.lines[static_cast<std::size_t>(i)];
    complete = RasterizeLine(*dc, line, *header, zoom);
    if (complete) {
      dc->SetTextColor(kLabelColor);
      DrawLabel(*dc, line, zoom, font, labelCodePage_);
    }
  }
  if (complete) {
    SetScrollSizes(MM_TEXT, CSize{ScaleToDevice(page_.pageWidth, zoom_),
                                  ScaleToDevice(page_.pageHeight, zoom_)});
  }
  dc->SelectObject(previousFont);
  return complete;
}

void CPLIMDispView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();
  SetScrollSizes(MM_TEXT, kInitialScrollSize);
}

void CPLIMDispView::OnChar(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
  if (page_.lineCount == 0) return;
  if (nChar == '+' || nChar == '-') {
    zoom_ = ZoomStep(zoom_, static_cast<char>(nChar));
    CRect client;
    GetClientRect(&client);
    InvalidateRect(&client, true);
  }
  Default();
}

void CPLIMDispView::OnKeyDown(UINT /*nChar*/, UINT /*nRepCnt*/, UINT /*nFlags*/) { Default(); }

bool CPLIMDispView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CPLIMDispView::OnBeginPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}

void CPLIMDispView::OnEndPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}
