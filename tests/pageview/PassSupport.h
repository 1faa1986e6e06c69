#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <optional>
#include <string>
#include <vector>

#include "pageview/PagePass.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Scale.h"
#include "platform/system/CDC.h"
#include "platform/text/QtLabelText.h"
#include "support/PageLines.h"

// The drawing pass on plain canvases, without a view: pages, canvases and the zoom keys.

inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;

// Label text needs a GUI application; the pass needs nothing more.
inline QGuiApplication& PassApplication() {
  if (auto* existing = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    return *existing;
  }
  static int argc = 1;
  static char name[] = "plimdisp-tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  InstallQtLabelText();
  return *app;
}

// A page record and line table with the given extents and lines; lineCount is the number of
// lines unless given.
inline PageBody Body(std::int32_t pageWidth, std::int32_t pageHeight,
                     std::vector<PageLine> lines = {}, std::optional<std::int32_t> lineCount = {}) {
  PageBody body;
  body.pageWidth = pageWidth;
  body.pageHeight = pageHeight;
  body.lineCount = lineCount.value_or(static_cast<std::int32_t>(lines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) body.lines[i] = std::move(lines[i]);
  return body;
}

// The zoom after the zoom keys `keys`, from 1.0, as a view with lines takes them.
inline float ZoomAfter(const std::string& keys) {
  float zoom = 1.0f;
  for (const char key : keys) zoom = ZoomStep(zoom, key);
  return zoom;
}

// A white canvas of width x height whose pixel (0, 0) shows logical point (originX, originY).
struct Page {
  Canvas canvas;
  std::int32_t originX = 0;
  std::int32_t originY = 0;

  Page(std::int32_t width, std::int32_t height, std::int32_t x = 0, std::int32_t y = 0)
      : originX(x), originY(y) {
    EXPECT_EQ(canvas.Allocate(width, height), CanvasError::kNone);
    canvas.FillWhite();
  }
  // The colour 0x00RRGGBB at logical point (x, y), which must lie on the canvas.
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return canvas.Rgb(x - originX, y - originY);
  }
  // Runs the pass of `body` at `zoom` on this canvas, clipped to `clip` (canvas pixels) when
  // given; whether it completed.
  bool Draw(const PageBody& body, float zoom, std::optional<PixelRect> clip = {}) {
    CDC dc(canvas);
    dc.SetWindowOrg(originX, originY);
    if (clip) dc.SetClipRect(*clip);
    return DrawPagePass(dc, PageFrame{&body, zoom}).complete;
  }
};
