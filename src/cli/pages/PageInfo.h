#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cli/pages/CliPage.h"
#include "pagefile/PageModel.h"

// The label as the viewer draws it: the stored bytes (0 bytes already spaces) decoded from
// `codePage`, as UTF-8. `codePage` must be one the converter knows.
std::string LabelText(const PageLine& line, std::string_view codePage);
// The same label as wide text, one wchar_t per code point.
std::wstring LabelWide(const PageLine& line, std::string_view codePage);

// Takes the report piece by piece, so a large header note never has to be held whole.
using TextSink = std::function<void(std::string_view text)>;

// Writes the header fields, the page record and every line to `out`, one "name: value" per
// line. Lines are numbered from 1. False when the header note could no longer be read from
// the file (then `out` got part of the report).
bool WritePageInfoText(const CliPage& page, std::string_view codePage, const TextSink& out);

// The same as one JSON object on one line, ending in a newline. With a non-empty `file` the
// object starts with a "file" member naming it.
bool WritePageInfoJson(const CliPage& page, std::string_view codePage, std::string_view file,
                       const TextSink& out);
