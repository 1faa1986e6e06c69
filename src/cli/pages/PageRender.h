#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/output/ByteSink.h"
#include "pagefile/PageModel.h"
#include "pageview/PagePass.h"

// One page drawn as the viewer draws it, through the page's drawing pass, into an RGB PNG:
// shared by the render command and any other command that makes pictures of pages. The page is
// drawn in horizontal bands, each through the same pass clipped to the band, and each band's
// rows are streamed into the PNG encoder, so memory stays bounded whatever the picture's size.

// Largest picture written, in pixels.
inline constexpr std::int64_t kMaxRenderPixels = 100'000'000;
// Largest band, in pixels (4 bytes each); a band has at least one row.
inline constexpr std::int64_t kRenderBandPixels = std::int64_t{1} << 22;

// Makes the GUI application that label text needs, if there is none yet (with the offscreen
// platform unless the caller chose one). RenderPagePng makes it when a page first has labels;
// call this on the main thread before pages are drawn on other threads.
void PrepareLabelText();

// The zoom after the zoom keys `keys` ('+', '-'; other characters do nothing), as the view
// takes them: only while the page's lineCount is not 0.
float ZoomAfterKeys(const PageBody& page, std::string_view keys);

// The size of the picture: the page's scroll extent after one pass at `zoom`, which is the
// zoomed page, or kInitialExtent when the page's lineCount is 0.
PageExtent RenderExtent(const PageBody& page, float zoom);

// Streams the PNG of `page` at `zoom`, labels decoded from `labelCodePage`, into `sink`, in
// bands of at most `bandPixels` pixels. False on failure, with `problem` set to a sentence for
// the user (no area, too large, out of memory, the output failed); the sink may then hold part
// of a PNG.
bool RenderPagePng(const PageBody& page, float zoom, std::string_view labelCodePage,
                   ByteSink& sink, std::string& problem,
                   std::int64_t bandPixels = kRenderBandPixels);

// As RenderPagePng, into a picture of `extent` instead of RenderExtent: the pass's drawing
// cut off, or padded with white, at its edges.
bool RenderPagePngSized(const PageBody& page, float zoom, PageExtent extent,
                        std::string_view labelCodePage, ByteSink& sink, std::string& problem,
                        std::int64_t bandPixels = kRenderBandPixels);
