#include "BenchPages.h"

#include <cstdio>
#include <filesystem>

#include "pagewriter/PageWriter.h"
#include "platform/system/CFile.h"

namespace {

struct PageShape {
  std::int32_t pageWidth, pageHeight;
  std::int32_t lines;
  std::int32_t left, firstTop, pitch;
  std::int32_t lineWidth, lineHeight;
};

constexpr PageShape kLargePage{4200, 25000, 100, 100, 50, 249, 4000, 240};
constexpr PageShape kSamplePage{1200, 1600, 15, 60, 40, 100, 1080, 72};

// Strokes 3 pixels wide every 9 columns in bands of rows, on paper of greys 0xF0..0xFF.
std::string LinePixels(std::int32_t width, std::int32_t height, std::uint32_t seed) {
  std::string pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (std::int32_t row = 0; row < height; ++row) {
    const bool inkRow = (row / 12 + seed) % 4 != 0 && row % 12 > 1;
    for (std::int32_t column = 0; column < width; ++column) {
      state = state * 1664525u + 1013904223u;
      const bool ink = inkRow && column % 9 < 3 && (state >> 29) != 0;
      pixels[static_cast<std::size_t>(row) * width + column] =
          static_cast<char>(ink ? (state >> 24) & 0x3F : 0xF0 | (state >> 28));
    }
  }
  return pixels;
}

// "第<n>行" in code page 936.
std::string LineLabel(std::int32_t index) {
  return "\xB5\xDA" + std::to_string(index + 1) + "\xD0\xD0";
}

PageDraft MakePage(const PageShape& shape) {
  PageDraft page;
  page.pageWidth = shape.pageWidth;
  page.pageHeight = shape.pageHeight;
  for (std::int32_t i = 0; i < shape.lines; ++i) {
    LineDraft line;
    line.label = LineLabel(i);
    line.charCount = static_cast<std::int32_t>(line.label.size());
    line.left = shape.left;
    line.top = shape.firstTop + i * shape.pitch;
    line.width = shape.lineWidth;
    line.height = shape.lineHeight;
    line.pixels = LinePixels(shape.lineWidth, shape.lineHeight, static_cast<std::uint32_t>(i));
    page.lines.push_back(std::move(line));
  }
  return page;
}

}  // namespace

bool WriteWorkload(Workload workload, const std::string& path) {
  return WritePageFile(path, MakePage(workload == Workload::kLargePage ? kLargePage : kSamplePage));
}

bool ReadPageShared(const std::string& path, LoadedPage& page) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return false;
  }
  CFileSource source(file);
  PageFault fault = ReadPageHeader(source, page.header);
  if (!fault) fault = ReadPageBody(source, page.header.codeLength, page.body);
  if (fault) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), DescribePageFault(fault).c_str());
    return false;
  }
  return true;
}

std::uint64_t FileBytes(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}
