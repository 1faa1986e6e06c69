#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/pages/CliPage.h"

// A rectangle on the page in page pixels, corners at (left, top) and (right, bottom); the
// right and bottom edges are exclusive, so a line filling a W x H page is (0, 0, W, H).
struct PageBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// The image rectangle of `line` clipped to the page [0, pageWidth) x [0, pageHeight); nothing
// when the line has no pixels or none of them lies on the page.
std::optional<PageBox> LineBoxOnPage(const PageLine& line, std::int32_t pageWidth,
                                     std::int32_t pageHeight);

// What a PAGE XML document of one page says besides the page itself.
struct PageXmlSource {
  std::string imageFilename;  // the page picture, as named in the document
  std::string created;        // xsd:dateTime of the export, e.g. "2026-12-08T10:00:00Z"
  std::string_view codePage;  // the labels' code page, one the converter knows
};

// The PAGE XML (2019-07-15 schema) of `page`: one text region holding, in table order, one text
// line per line that has a box on the page (LineBoxOnPage), each with its clipped box and its
// label as UTF-8, and a reading order naming the region. Characters XML cannot hold become
// U+FFFD, tab, newline and carriage return character references. `leftOut` receives the
// 0-based indices of the lines without a box.
std::string PageXmlDocument(const CliPage& page, const PageXmlSource& source,
                            std::vector<std::int32_t>& leftOut);

// The title that names a page's picture and XML: `title` (a page file's name without its
// extension, any bytes) with every byte that is no part of a valid UTF-8 character, or belongs
// to a hidden character (IsHiddenCharacter) or to one XML cannot hold, written as %HH, and '%'
// as %25. The result is valid UTF-8 that XML holds as it is, so `imageFilename` names the
// picture's file exactly. Different titles keep different results; a title without such bytes
// and without '%' stays as it is.
std::string PageXmlTitle(std::string_view title);

// The current time as an xsd:dateTime in UTC, to the second.
std::string UtcNowDateTime();
