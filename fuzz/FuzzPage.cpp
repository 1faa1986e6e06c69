#include "fuzz/FuzzPage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "pagefile/MemorySource.h"

void FuzzCheck(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "page invariant broken: %s\n", what);
  std::abort();
}

PageFault LoadFuzzPage(std::span<const std::uint8_t> bytes, PageHeader& header, PageBody& body) {
  MemorySource source(bytes);
  PageFault fault = ReadPageHeader(source, header);
  if (!fault) fault = ReadPageBody(source, header.codeLength, body);
  if (fault) {
    FuzzCheck(!DescribePageFault(fault).empty(), "a refusal has a message");
  } else {
    FuzzCheck(header.headerSize >= kFixedHeaderBytes, "a loaded header is at least 36 bytes");
    FuzzCheck(
        header.headerNote.size() == static_cast<std::size_t>(header.headerSize - kFixedHeaderBytes),
        "the note has headerSize - 36 bytes");
  }
  return fault;
}

void CheckPageInvariants(std::int16_t codeLength, std::int32_t lineCount,
                         const std::array<PageLine, kMaxLines>& lines) {
  FuzzCheck(lineCount <= kMaxLines, "lineCount <= kMaxLines");
  const std::int32_t used = std::max(lineCount, 0);
  for (std::int32_t i = 0; i < kMaxLines; ++i) {
    const PageLine& line = lines[static_cast<std::size_t>(i)];
    if (i >= used) {
      FuzzCheck(line.label.data() == nullptr && line.pixels.data() == nullptr,
                "entries above lineCount own nothing");
      continue;
    }
    const std::int64_t labelBytes = std::int64_t{codeLength} * line.charCount;
    FuzzCheck(labelBytes >= 0 && line.label.size() == static_cast<std::size_t>(labelBytes) + 1,
              "a label has codeLength * charCount + 1 bytes");
    const std::uint8_t* label = line.label.data();
    FuzzCheck(label[labelBytes] == 0, "a label ends in 0");
    FuzzCheck(std::find(label, label + labelBytes, std::uint8_t{0}) == label + labelBytes,
              "a label holds no 0 before its end");
    FuzzCheck(line.width >= 0 && line.height >= 0, "image sides are not negative");
    FuzzCheck(
        line.pixels.size() == static_cast<std::size_t>(std::int64_t{line.width} * line.height),
        "a pixel block has width * height bytes");
  }
}
