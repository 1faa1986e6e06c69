// The page view's drawing, zoom keys and printing hooks.
#include <optional>

#include "pageview/CPLIMDispView.h"
#include "pageview/PagePass.h"
#include "platform/canvas/Scale.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/system/CDC.h"

void CPLIMDispView::OnDraw(CDC* dc) {
  if (!DrawPage(dc)) dc->SetIncomplete();
}

bool CPLIMDispView::DrawPage(CDC* dc) {
  if (GetDocument() == nullptr) return true;
  // A preview draws the page as printed, shrunk by the preview's scale.
  const float zoom = dc->PreviewScale() == 1.0f
                         ? zoom_
                         : static_cast<float>(double{zoom_} * double{dc->PreviewScale()});
  const PassResult result = DrawPagePass(*dc, ScrolledFrame(page_, zoom, labelCodePage_));
  // The extent is the view's own, whatever scale a preview draws at.
  const std::optional<PageExtent> extent = PassExtent(page_, zoom_);
  if (result.complete && extent) SetScrollSizes(MM_TEXT, CSize{extent->width, extent->height});
  return result.complete;
}

void CPLIMDispView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();
  SetScrollSizes(MM_TEXT, CSize{kInitialExtent.width, kInitialExtent.height});
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
