#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/pages/CliPage.h"
#include "pagefile/PageModel.h"

// What `check` can find in a page file.
enum class FindingKind {
  kCannotOpen,         // the file cannot be opened at all
  kRefused,            // the reader refused the page
  kWhollyOutside,      // a line image lies wholly outside the page extents
  kPartlyOutside,      // a line image crosses an edge of the page extents
  kEmptyLabel,         // a label without bytes
  kEmptyImage,         // a line image without pixels
  kInvalidLabelBytes,  // label bytes that are no character in the code page
  kZeroLabelBytes,     // 0 bytes in a stored label, which the viewer shows as spaces
  kCharCountMismatch,  // codeLength 2 and charCount differs from the decoded characters
  kOverlap,            // the boxes of two line images overlap
};

// Short stable name of `kind` for machine-readable reports, e.g. "partly-outside".
std::string_view FindingKindName(FindingKind kind);

struct Finding {
  FindingKind kind;
  std::int32_t line = 0;  // line number from 1; 0 for the whole page
  std::string message;    // one English sentence fragment, e.g. "the label is empty"
};

// Numbers of 0 bytes in each stored label, as the file held them before loading.
using ZeroLabelBytes = std::array<std::int32_t, kMaxLines>;

// Everything questionable in a page that loaded (a table read is enough), line by line in
// table order. `codePage` must
// be one the converter knows.
std::vector<Finding> CheckPage(const CliPage& page, const ZeroLabelBytes& zeroLabelBytes,
                               std::string_view codePage);

// The finding for a page that could not be loaded.
Finding LoadFailureFinding(const PageLoadFailure& failure);
