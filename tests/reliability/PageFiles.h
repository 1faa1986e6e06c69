#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

// Writes `bytes` as the file `name` in `dir` and returns its path.
inline std::string WritePageBytes(const TempDir& dir, const std::string& name,
                                  const std::string& bytes) {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

// A small page of three lines with a header note and two-byte codes, one of them a 0 byte.
inline PageDraft SmallPage() {
  PageDraft page;
  page.headerNote = "note";
  page.codeLength = 2;
  page.pageWidth = 40;
  page.pageHeight = 30;
  page.lines = {DraftLine(2, 1, 3, 2, Solid(0x40), std::string("ab\0d", 4)), DraftLine(4, 3, 5, 0),
                DraftLine(6, 5, 1, 1, Solid(0x80), "ef")};
  page.lines[0].charCount = 2;
  page.lines[2].charCount = 1;
  return page;
}
