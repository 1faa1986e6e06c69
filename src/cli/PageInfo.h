#pragma once

#include <string>
#include <string_view>

#include "cli/CliPage.h"
#include "pagefile/PageModel.h"

// The label as the viewer draws it: the stored bytes (0 bytes already spaces) decoded from
// `codePage`, as UTF-8. `codePage` must be one the converter knows.
std::string LabelText(const PageLine& line, std::string_view codePage);
// The same label as wide text, one wchar_t per code point.
std::wstring LabelWide(const PageLine& line, std::string_view codePage);

// The header fields, the page record and every line, one "name: value" per line. Lines are
// numbered from 1.
std::string PageInfoText(const CliPage& page, std::string_view codePage);

// The same as one JSON object on one line, ending in a newline. With a non-empty `file` the
// object starts with a "file" member naming it.
std::string PageInfoJson(const CliPage& page, std::string_view codePage,
                         std::string_view file = {});
