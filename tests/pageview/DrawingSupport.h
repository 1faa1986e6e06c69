#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "pageview/PassSupport.h"
#include "platform/PlatformUiScript.h"
#include "platform/canvas/Canvas.h"
#include "platform/framework/CDocument.h"
#include "platform/system/CDC.h"
#include "support/PageLines.h"

// A page view on a document with lines installed straight into its page model.
class DrawingTest : public ::testing::Test {
 protected:
  DrawingTest() { view.OnInitialUpdate(); }

  // Installs a page of the given extents and lines; lineCount is the number of lines unless
  // given.
  void Install(std::int32_t pageWidth, std::int32_t pageHeight, std::vector<PageLine> lines,
               std::optional<std::int32_t> lineCount = {}) {
    view.AdoptPage(PageHeader{}, Body(pageWidth, pageHeight, std::move(lines), lineCount));
  }

  void Keys(const std::string& keys) {
    for (const char key : keys) view.OnChar(static_cast<unsigned char>(key), 1, 0);
  }

  // Runs the view's drawing on `page`, optionally clipped to `clip` (canvas pixels).
  bool Draw(Page& page, std::optional<PixelRect> clip = {}) {
    CDC dc(page.canvas);
    dc.SetWindowOrg(page.originX, page.originY);
    if (clip) dc.SetClipRect(*clip);
    return view.DrawPage(&dc);
  }

  QApplication& app = TestApplication();
  CDocument document;
  CPLIMDispView view{&document};
};
