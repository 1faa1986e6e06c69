#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Builds page files byte for byte from a description. Values are written as given, so the
// description may be inconsistent on purpose (a lineCount that disagrees with `lines`, a
// label shorter than charCount * codeLength) to make malformed pages for tests.
struct LineDraft {
  std::int32_t charCount = 0;
  std::string label;  // raw label bytes, written as they stand
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::string pixels;  // raw grey bytes, written as they stand
};

struct PageDraft {
  std::optional<std::int32_t> headerSize;  // default: 36 + note size
  std::string headerTag8 = std::string(8, '\0');
  std::string headerNote;
  std::string headerTag20 = std::string(20, '\0');
  std::int16_t codeLength = 1;
  std::int16_t headerWord = 0;
  std::int32_t pageWidth = 0;
  std::int32_t pageHeight = 0;
  std::optional<std::int32_t> lineCount;  // default: lines.size()
  std::vector<LineDraft> lines;
  std::string trailing;  // bytes after the last record
};

std::string WritePage(const PageDraft& page);
// Writes the bytes to `path`, replacing the file; false on an I/O error.
bool WritePageFile(const std::string& path, const PageDraft& page);
