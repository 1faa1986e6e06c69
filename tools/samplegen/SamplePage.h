#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pagefile/PageModel.h"
#include "pagewriter/PageWriter.h"

// Sample pages: 10 to 20 lines of Chinese text stacked on a page of about 1200 x 1600 page
// pixels, labels in code page 936 (codeLength 2), line images rendered from the labels.

inline constexpr std::int32_t kMinSampleLines = 1;
inline constexpr std::int32_t kMaxSampleLines = kMaxLines;

struct SampleOptions {
  std::uint32_t seed = 1;
  // Lines on the page, kMinSampleLines..kMaxSampleLines; when absent the seed picks 10 to 20.
  std::optional<std::int32_t> lineCount;
};

// Builds the page for `options`; the same options give the same page. The page grows beyond
// its usual size when needed so that every line lies inside it. Needs a running
// QGuiApplication. Fails with a message in `error` when no CJK font is installed or a label
// cannot be encoded.
std::optional<PageDraft> BuildSamplePage(const SampleOptions& options, std::string& error);
