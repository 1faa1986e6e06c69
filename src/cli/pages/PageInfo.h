#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cli/pages/CliPage.h"
#include "pagefile/PageModel.h"

// Takes a label piece by piece; returns false to stop the decoding.
using LabelPieces = std::function<bool(std::wstring_view piece)>;

// Decodes the label as the viewer draws it: the stored bytes (0 bytes already spaces) from
// `codePage`, one wchar_t per code point, handed to `piece` a few hundred characters at a
// time, so a long label is never held decoded. `invalidBytes` as for DecodeMultiByte.
// `codePage` must be one the converter knows.
void DecodeLabel(const PageLine& line, std::string_view codePage, const LabelPieces& piece,
                 std::size_t* invalidBytes = nullptr);

// The whole label (DecodeLabel) as UTF-8.
std::string LabelText(const PageLine& line, std::string_view codePage);
// Takes the report piece by piece, so a large header note never has to be held whole.
using TextSink = std::function<void(std::string_view text)>;
// Writes the label to `out` as a JSON string, decoded a piece at a time.
void WriteQuotedLabel(const PageLine& line, std::string_view codePage, const TextSink& out);

// Writes the header fields, the page record and every line to `out`, one "name: value" per
// line. Lines are numbered from 1. False when the header note could no longer be read from
// the file (then `out` got part of the report).
bool WritePageInfoText(const CliPage& page, std::string_view codePage, const TextSink& out);

// The same as one JSON object on one line, ending in a newline. With a non-empty `file` the
// object starts with a "file" member naming it.
bool WritePageInfoJson(const CliPage& page, std::string_view codePage, std::string_view file,
                       const TextSink& out);
