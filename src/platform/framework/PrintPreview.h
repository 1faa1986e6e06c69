#pragma once

class CPrintInfo;
class CView;

// Print preview, a mode of the main frame: the frame's client area shows the page of `view`
// as `info.printer` would print it (a PreviewSheet) under the preview's own tool bar: 关闭
// ("取消预览", also Escape), 打印, which leaves the preview and runs the view's Print, and
// 放大 and 缩小 with the shown size. Each button has an Alt mnemonic and is reached with Tab.
// While the preview shows, Print Setup redraws it and About and the status bar toggle work
// as usual; every other command leaves the preview first, then runs. A preview whose page
// cannot be drawn is left with a message. Without a main frame nothing is shown.
void RunPrintPreview(CView& view, CPrintInfo& info);
