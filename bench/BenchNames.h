#pragma once

#include <string>

// Benchmark names, shared by the registrations and the figures computed from them, and the
// screen viewport measured, in device pixels.
inline constexpr int kViewportWidth = 1920;
inline constexpr int kViewportHeight = 1080;

struct ZoomCase {
  const char* name;  // the zoom as printed
  const char* keys;  // the zoom keys that give it from 1.0
  bool atLeastOne;
};
inline constexpr ZoomCase kZoomCases[] = {
    {"1.0", "", true}, {"1.5", "+", true}, {"0.7", "-", false}, {"0.343", "---", false}};

inline std::string RepaintName(const char* pass, const ZoomCase& zoom) {
  return std::string("repaint/") + pass + "/zoom:" + zoom.name;
}
inline constexpr char kPassOurs[] = "ours";
inline constexpr char kPassLiteral[] = "literal";
inline constexpr char kPassQt[] = "qt";
inline constexpr char kCanvasFloor[] = "repaint/clear_and_copy_canvas";

inline constexpr char kLoadView[] = "load/view";
inline constexpr char kLoadRawRead[] = "load/raw_read";
inline constexpr char kZoomKey[] = "zoom_key/plus_to_finished_repaint";
inline constexpr char kScrollStep[] = "scroll/line_step";
inline constexpr char kScrollFullRepaint[] = "scroll/full_repaint";
inline constexpr char kRenderSample[] = "render/cli_sample_page";
inline constexpr char kInfoLarge[] = "info/cli_large_page";
inline constexpr char kThumbnailSample[] = "thumbnail/cli_sample_page";
inline constexpr char kThumbnailLarge[] = "thumbnail/cli_large_page";

inline constexpr char kPreviewOpenSample[] = "preview/open/ours/W2";
inline constexpr char kPreviewOpenLarge[] = "preview/open/ours/W1";
inline constexpr char kQtPreviewOpenSample[] = "preview/open/qt_dialog/W2";
inline constexpr char kQtPreviewOpenLarge[] = "preview/open/qt_dialog/W1";
inline constexpr int kPreviewZoomSteps = 10;
inline std::string PreviewZoomStepName(int step) {
  return "preview/zoom_step/" + std::to_string(step);
}

void RegisterLoadBenchmarks();
void RegisterPassBenchmarks();
void RegisterViewBenchmarks();
void RegisterRenderBenchmarks();
void RegisterPreviewBenchmarks();
