#include "raster/DrawLineBitmap.h"

#include <algorithm>

#include "platform/canvas/Scale.h"

namespace {

std::int32_t Saturate(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool PlanLine(const DrawingTarget& dc, const PageLine& line, const LineDest& dest,
              StretchPlan& plan) {
  return line.width > 0 && line.height > 0 &&
         PlanStretch(dc.Target(), dest.x, dest.y, dest.width, dest.height, 0, 0, line.width,
                     line.height, plan);
}

// The shape of the line image's bitmap, as a transfer of the whole image reads it.
void WriteImageHeader(const PageLine& line, BITMAPINFOHEADER& header) {
  header.biBitCount = 24;
  header.biWidth = PaddedWidth(line.width);
  header.biHeight = line.height;
}

}  // namespace

LineDest LineDestination(const PageLine& line, float zoom) {
  LineDest dest;
  dest.x = ScaleToDevice(line.left, zoom);
  dest.y = ScaleToDevice(Saturate(std::int64_t{line.top} + line.height), zoom);
  dest.width = ScaleToDevice(line.width, zoom);
  dest.height = ScaleToDevice(Saturate(-std::int64_t{line.height}), zoom);
  return dest;
}

void InitBitmapHeader(BITMAPINFOHEADER& header) {
  header = BITMAPINFOHEADER{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biPlanes = 1;
  header.biCompression = BI_RGB;
}

bool VisibleSourceWindow(const DrawingTarget& dc, const PageLine& line, float zoom,
                         PixelRect& window) {
  StretchPlan plan;
  if (!PlanLine(dc, line, LineDestination(line, zoom), plan)) return false;
  // Buffer row i is image row i, so the plan's buffer rows are image rows.
  window = plan.SourceWindow();
  return true;
}

void DrawReducedBitmap(const ClippedCanvas& target, const LineBitmap& bitmap,
                       BITMAPINFOHEADER& header) {
  header.biBitCount = 24;
  header.biWidth = bitmap.paddedWidth;
  header.biHeight = bitmap.height;
  if (bitmap.pixels.empty() || !bitmap.Reduced()) return;
  // Placed in device pixels, so no logical coordinate can overflow.
  ClippedCanvas device = target;
  device.originX = 0;
  device.originY = 0;
  const PixelRect& rect = bitmap.reducedFor.device;
  StretchDIBits(device, rect.left, rect.bottom, bitmap.width, -bitmap.height, 0, 0, bitmap.width,
                bitmap.height, bitmap.pixels.data(), &header, DIB_RGB_COLORS, SRCAND);
}

void DrawLineBitmap(DrawingTarget& dc, const PageLine& line, LineBitmap& bitmap,
                    BITMAPINFOHEADER& header, float zoom) {
  if (bitmap.Reduced()) {
    StretchPlan plan;
    if (PlanLine(dc, line, LineDestination(line, zoom), plan) &&
        (plan == bitmap.reducedFor || BuildLineBitmap(line, bitmap, plan))) {
      DrawReducedBitmap(dc.Target(), bitmap, header);
    }
    bitmap = LineBitmap{};
    return;
  }
  WriteImageHeader(line, header);
  const LineDest dest = LineDestination(line, zoom);
  StretchPlan plan;
  if (!bitmap.pixels.empty() && bitmap.width == line.width && bitmap.height == line.height &&
      PlanLine(dc, line, dest, plan)) {
    const PixelRect needed = plan.SourceWindow();
    if (!bitmap.filled.Contains(needed)) FillLineBitmap(line, bitmap, needed);
    TransferPlanned(dc.Target(), plan, bitmap.pixels.data(), header);
  }
  bitmap = LineBitmap{};
}

bool RasterizeLine(DrawingTarget& dc, const PageLine& line, BITMAPINFOHEADER& header, float zoom,
                   const LinePixelSource* source) {
  StretchPlan plan;
  if (!PlanLine(dc, line, LineDestination(line, zoom), plan)) {
    WriteImageHeader(line, header);
    return true;
  }
  LineBitmap bitmap;
  // A shrinking transfer merges several source pixels into each device pixel; reducing the
  // greys first widens only the merged pixels to 24 bits.
  const bool shrinking =
      plan.x.sourceLength > plan.x.destLength || plan.y.sourceLength > plan.y.destLength;
  if (shrinking) {
    const bool inMemory = HasAllPixels(line, nullptr);
    if (!(inMemory || source == nullptr ? BuildLineBitmap(line, bitmap, plan)
                                        : BuildLineBitmap(line, *source, bitmap, plan))) {
      return false;
    }
    if (bitmap.Reduced()) {
      DrawReducedBitmap(dc.Target(), bitmap, header);
    } else {
      WriteImageHeader(line, header);
    }
    return true;
  }
  // Stretched or one to one: the bitmap holds only the window the transfer reads, and the
  // transfer reads it with its source indices moved by the window's corner.
  const PixelRect window = plan.SourceWindow();
  if (!BuildWindowBitmap(line, source, window, bitmap)) return false;
  if (!bitmap.pixels.empty()) {
    header.biBitCount = 24;
    header.biWidth = bitmap.paddedWidth;
    header.biHeight = bitmap.height;
    plan.x.sourceStart -= window.left;
    plan.y.sourceStart -= window.top;
    TransferPlanned(dc.Target(), plan, bitmap.pixels.data(), header);
  }
  WriteImageHeader(line, header);
  return true;
}
