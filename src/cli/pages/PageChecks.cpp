#include "cli/pages/PageChecks.h"

#include <algorithm>

#include "cli/pages/PageInfo.h"

namespace {

// A line image's box in page pixels, [left, right) x [top, bottom); 64 bits hold every sum.
struct Box {
  std::int64_t left, top, right, bottom;

  bool Empty() const { return left >= right || top >= bottom; }
  bool Overlaps(const Box& other) const {
    return !Empty() && !other.Empty() && left < other.right && other.left < right &&
           top < other.bottom && other.top < bottom;
  }
  bool Inside(const Box& other) const {
    return left >= other.left && top >= other.top && right <= other.right && bottom <= other.bottom;
  }
};

Box LineBox(const PageLine& line) {
  return {line.left, line.top, std::int64_t{line.left} + line.width,
          std::int64_t{line.top} + line.height};
}

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

void CheckExtents(const PageLine& line, const Box& page, std::int32_t number,
                  std::vector<Finding>& findings) {
  const Box box = LineBox(line);
  if (box.Empty() || box.Inside(page)) return;
  const std::string where = "the image at (" + std::to_string(line.left) + ", " +
                            std::to_string(line.top) + ") of " + Size(line.width, line.height) +
                            " lies ";
  const std::string pageSize = " the " + Size(page.right, page.bottom) + " page";
  if (box.Overlaps(page)) {
    findings.push_back({FindingKind::kPartlyOutside, number, where + "partly outside" + pageSize});
  } else {
    findings.push_back({FindingKind::kWhollyOutside, number, where + "wholly outside" + pageSize});
  }
}

void CheckLabel(const PageLine& line, std::int32_t zeroBytes, std::int16_t codeLength,
                std::string_view codePage, std::int32_t number, std::vector<Finding>& findings) {
  const std::size_t labelBytes = line.label.empty() ? 0 : line.label.size() - 1;
  if (labelBytes == 0) {
    findings.push_back({FindingKind::kEmptyLabel, number, "the label is empty"});
    return;
  }
  if (zeroBytes > 0) {
    findings.push_back(
        {FindingKind::kZeroLabelBytes, number,
         "the label holds " + std::to_string(zeroBytes) + " byte(s) 0, shown as spaces"});
  }
  std::size_t invalid = 0;
  std::size_t characters = 0;
  DecodeLabel(
      line, codePage,
      [&](std::wstring_view piece) {
        characters += piece.size();
        return true;
      },
      &invalid);
  if (invalid > 0) {
    findings.push_back({FindingKind::kInvalidLabelBytes, number,
                        "the label holds " + std::to_string(invalid) +
                            " byte(s) invalid in code page " + std::string(codePage)});
  }
  if (codeLength == 2 && characters != static_cast<std::size_t>(line.charCount)) {
    findings.push_back({FindingKind::kCharCountMismatch, number,
                        "charCount is " + std::to_string(line.charCount) +
                            " but the label decodes to " + std::to_string(characters) +
                            " character(s)"});
  }
}

}  // namespace

std::string_view FindingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kCannotOpen:
      return "cannot-open";
    case FindingKind::kRefused:
      return "refused";
    case FindingKind::kWhollyOutside:
      return "wholly-outside";
    case FindingKind::kPartlyOutside:
      return "partly-outside";
    case FindingKind::kEmptyLabel:
      return "empty-label";
    case FindingKind::kEmptyImage:
      return "empty-image";
    case FindingKind::kInvalidLabelBytes:
      return "invalid-label-bytes";
    case FindingKind::kZeroLabelBytes:
      return "zero-label-bytes";
    case FindingKind::kCharCountMismatch:
      return "char-count-mismatch";
    case FindingKind::kOverlap:
      return "overlap";
  }
  return "unknown";
}

std::vector<Finding> CheckPage(const CliPage& page, const ZeroLabelBytes& zeroLabelBytes,
                               std::string_view codePage) {
  const PageBody& body = *page.body;
  const Box pageBox{0, 0, body.pageWidth, body.pageHeight};
  std::vector<Finding> findings;
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const auto index = static_cast<std::size_t>(i);
    const PageLine& line = body.lines[index];
    const std::int32_t number = i + 1;
    if (std::int64_t{line.width} * line.height == 0) {
      findings.push_back({FindingKind::kEmptyImage, number,
                          "the image of " + Size(line.width, line.height) + " is empty"});
    }
    CheckExtents(line, pageBox, number, findings);
    CheckLabel(line, zeroLabelBytes[index], page.header.codeLength, codePage, number, findings);
    // Each overlapping pair is reported once, at its later line.
    for (std::int32_t earlier = 0; earlier < i; ++earlier) {
      if (LineBox(body.lines[static_cast<std::size_t>(earlier)]).Overlaps(LineBox(line))) {
        findings.push_back({FindingKind::kOverlap, number,
                            "the image overlaps that of line " + std::to_string(earlier + 1)});
      }
    }
  }
  return findings;
}

Finding LoadFailureFinding(const PageLoadFailure& failure) {
  const bool opened = failure.open == CFile::OpenFailure::kNone;
  return {opened ? FindingKind::kRefused : FindingKind::kCannotOpen,
          opened ? failure.fault.line + 1 : 0,
          std::string(kCannotOpenMessage) + ": " + DescribePageLoadFailure(failure)};
}
