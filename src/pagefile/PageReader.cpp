#include "pagefile/PageReader.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <tuple>

namespace {

constexpr std::int64_t kMaxBufferBytes = std::numeric_limits<std::int32_t>::max();
constexpr std::uint8_t kLabelZeroReplacement = 0x20;

template <typename Int>
void FromLittleEndian(Int& value) {
  if constexpr (std::endian::native == std::endian::big) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&value);
    std::reverse(bytes, bytes + sizeof(Int));
  }
}

// Reads fields one after another straight into their places. After the first failure the
// remaining reads are skipped, so a run of fields can be chained and checked once.
class FieldReader {
 public:
  // `whenShort` is the error for a record that runs past the end of the source.
  FieldReader(ByteSource& source, PageError whenShort) : source_(source), whenShort_(whenShort) {}

  FieldReader& Bytes(void* destination, std::size_t count) {
    if (error_ != PageError::kNone) return *this;
    if (count > source_.Remaining()) {
      error_ = whenShort_;
    } else if (!source_.ReadExactly(destination, count)) {
      error_ = PageError::kReadFailed;
    }
    return *this;
  }

  FieldReader& Skip(std::uint64_t count) {
    if (error_ != PageError::kNone) return *this;
    if (count > source_.Remaining()) {
      error_ = whenShort_;
    } else if (!source_.Skip(count)) {
      error_ = PageError::kReadFailed;
    }
    return *this;
  }

  template <typename Int>
  FieldReader& Number(Int& value) {
    if (Bytes(&value, sizeof(Int)).error_ == PageError::kNone) FromLittleEndian(value);
    return *this;
  }

  PageError error() const { return error_; }

 private:
  ByteSource& source_;
  PageError whenShort_;
  PageError error_ = PageError::kNone;
};

PageFault Refuse(PageError error, std::int64_t value = 0) {
  PageFault fault;
  fault.error = error;
  fault.value = value;
  return fault;
}

// Checks a buffer length read from the file against what a buffer may hold and the bytes left.
PageError CheckLength(std::int64_t length, const ByteSource& source, PageError negative,
                      PageError overflow) {
  if (length < 0) return negative;
  if (length > kMaxBufferBytes) return overflow;
  if (static_cast<std::uint64_t>(length) > source.Remaining()) return PageError::kEndsInLine;
  return PageError::kNone;
}

// Checks a buffer length read from the file and gives it a buffer of `length + extra` bytes.
PageError AllocateChecked(std::int64_t length, std::size_t extra, const ByteSource& source,
                          PageError negative, PageError overflow, ByteBuffer& buffer) {
  if (const PageError error = CheckLength(length, source, negative, overflow);
      error != PageError::kNone) {
    return error;
  }
  if (!ByteBuffer::Allocate(static_cast<std::size_t>(length) + extra, buffer)) {
    return PageError::kOutOfMemory;
  }
  return PageError::kNone;
}

// Reads the label of line record `index` (`labelLength` bytes, not yet checked) into `line`;
// `onRawLabel` sees it before the 0 bytes are replaced. A layout read checks and passes over it.
PageFault ReadLabel(FieldReader& reader, ByteSource& source, std::int64_t labelLength,
                    std::int32_t index, PageLine& line, const RawLabelHook& onRawLabel,
                    ReadDepth depth) {
  if (depth == ReadDepth::kLayout) {
    const PageError error = CheckLength(labelLength, source, PageError::kNegativeLabelLength,
                                        PageError::kLabelLengthOverflow);
    if (error != PageError::kNone) return Refuse(error, labelLength);
    return Refuse(reader.Skip(static_cast<std::uint64_t>(labelLength)).error());
  }
  const PageError error = AllocateChecked(labelLength, 1, source, PageError::kNegativeLabelLength,
                                          PageError::kLabelLengthOverflow, line.label);
  if (error != PageError::kNone) return Refuse(error, labelLength);
  const auto labelBytes = static_cast<std::size_t>(labelLength);
  if (reader.Bytes(line.label.data(), labelBytes).error() != PageError::kNone) {
    return Refuse(reader.error());
  }
  std::uint8_t* label = line.label.data();
  if (onRawLabel) onRawLabel(index, std::span<const std::uint8_t>(label, labelBytes));
  std::replace(label, label + labelBytes, std::uint8_t{0}, kLabelZeroReplacement);
  label[labelBytes] = 0;
  return {};
}

// Reads line record `index` into `line`. On a refusal `line` may hold part of the record.
PageFault ReadLine(ByteSource& source, std::int16_t codeLength, std::int32_t index, PageLine& line,
                   const RawLabelHook& onRawLabel, ReadDepth depth) {
  FieldReader reader(source, PageError::kEndsInLine);
  if (reader.Number(line.charCount).error() != PageError::kNone) return Refuse(reader.error());
  const std::int64_t labelLength = std::int64_t{codeLength} * line.charCount;
  if (PageFault fault = ReadLabel(reader, source, labelLength, index, line, onRawLabel, depth)) {
    return fault;
  }

  reader.Number(line.top).Number(line.left).Number(line.height).Number(line.width);
  if (reader.error() != PageError::kNone) return Refuse(reader.error());
  if (line.width < 0 || line.height < 0) {
    return Refuse(PageError::kNegativeImageSize, std::min(line.width, line.height));
  }
  const std::int64_t pixelCount = std::int64_t{line.width} * line.height;
  if (depth != ReadDepth::kWhole) {
    const PageError error = CheckLength(pixelCount, source, PageError::kNegativeImageSize,
                                        PageError::kImageSizeOverflow);
    if (error != PageError::kNone) return Refuse(error, pixelCount);
    line.pixelOffset = source.Offset();
    return Refuse(reader.Skip(static_cast<std::uint64_t>(pixelCount)).error());
  }
  const PageError error = AllocateChecked(pixelCount, 0, source, PageError::kNegativeImageSize,
                                          PageError::kImageSizeOverflow, line.pixels);
  if (error != PageError::kNone) return Refuse(error, pixelCount);
  reader.Bytes(line.pixels.data(), static_cast<std::size_t>(pixelCount));
  return Refuse(reader.error());
}

}  // namespace

bool ByteSource::Skip(std::uint64_t count) {
  std::uint8_t chunk[16384];
  while (count > 0) {
    const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof chunk));
    if (!ReadExactly(chunk, step)) return false;
    count -= step;
  }
  return true;
}

// The note comes right after these two fields, in this order.
static_assert(kHeaderNoteOffset ==
              sizeof(PageHeader::headerSize) + std::tuple_size_v<decltype(PageHeader::headerTag8)>);

PageFault ReadPageHeader(ByteSource& source, PageHeader& header, ReadDepth depth) {
  FieldReader reader(source, PageError::kEndsInHeader);
  if (reader.Number(header.headerSize).error() != PageError::kNone) return Refuse(reader.error());
  if (header.headerSize < kFixedHeaderBytes) {
    return Refuse(PageError::kHeaderTooSmall, header.headerSize);
  }
  // The whole rest of the header must be in the source before the note gets its buffer.
  const auto restOfHeader = static_cast<std::uint64_t>(header.headerSize) - sizeof(std::int32_t);
  if (restOfHeader > source.Remaining()) return Refuse(PageError::kEndsInHeader, header.headerSize);
  const auto noteBytes = static_cast<std::size_t>(header.headerSize - kFixedHeaderBytes);
  reader.Bytes(header.headerTag8.data(), header.headerTag8.size());
  if (depth != ReadDepth::kWhole) {
    reader.Skip(noteBytes);
  } else if (!ByteBuffer::Allocate(noteBytes, header.headerNote)) {
    return Refuse(PageError::kOutOfMemory);
  } else {
    reader.Bytes(header.headerNote.data(), noteBytes);
  }
  reader.Bytes(header.headerTag20.data(), header.headerTag20.size())
      .Number(header.codeLength)
      .Number(header.headerWord);
  return Refuse(reader.error());
}

PageFault ReadPageBody(ByteSource& source, std::int16_t codeLength, PageBody& body,
                       const RawLabelHook& onRawLabel, ReadDepth depth) {
  for (PageLine& line : body.lines) line = PageLine{};
  body.lineCount = 0;

  std::int32_t declaredLines = 0;
  FieldReader reader(source, PageError::kEndsInPageRecord);
  reader.Number(body.pageWidth).Number(body.pageHeight).Number(declaredLines);
  if (reader.error() != PageError::kNone) return Refuse(reader.error());
  if (declaredLines > kMaxLines) {
    PageFault fault = Refuse(PageError::kTooManyLines, declaredLines);
    fault.lineCount = declaredLines;
    return fault;
  }
  if (declaredLines <= 0) {
    body.lineCount = declaredLines;  // kept as read; means no lines
    return {};
  }

  // lineCount grows only with complete lines, so it always counts the entries that own buffers.
  for (std::int32_t index = 0; index < declaredLines; ++index) {
    PageLine& line = body.lines[static_cast<std::size_t>(index)];
    PageFault fault = ReadLine(source, codeLength, index, line, onRawLabel, depth);
    if (fault) {
      line = PageLine{};
      fault.line = index;
      fault.lineCount = declaredLines;
      return fault;
    }
    body.lineCount = index + 1;
  }
  return {};
}

std::string DescribePageFault(const PageFault& fault) {
  const std::string value = std::to_string(fault.value);
  const std::string line =
      "line " + std::to_string(fault.line + 1) + " of " + std::to_string(fault.lineCount);
  const std::string capitalLine = "L" + line.substr(1);
  switch (fault.error) {
    case PageError::kNone:
      return "The page is sound.";
    case PageError::kHeaderTooSmall:
      return "The header size " + value + " is below the minimum of " +
             std::to_string(kFixedHeaderBytes) + " bytes.";
    case PageError::kEndsInHeader:
      return "The file ends inside the header.";
    case PageError::kEndsInPageRecord:
      return "The file ends inside the page record.";
    case PageError::kTooManyLines:
      return "It has " + value + " lines; at most " + std::to_string(kMaxLines) + " are supported.";
    case PageError::kNegativeLabelLength:
      return capitalLine + " has a label of " + value + " bytes.";
    case PageError::kLabelLengthOverflow:
      return capitalLine + " has a label of " + value + " bytes, more than can be held.";
    case PageError::kNegativeImageSize:
      return capitalLine + " has an image side of " + value + " pixels.";
    case PageError::kImageSizeOverflow:
      return capitalLine + " has an image of " + value + " pixels, more than can be held.";
    case PageError::kEndsInLine:
      return "The file ends inside " + line + ".";
    case PageError::kOutOfMemory:
      return fault.line < 0 ? "There is not enough memory for the header."
                            : "There is not enough memory for " + line + ".";
    case PageError::kReadFailed:
      return "The file could not be read.";
  }
  return "The page cannot be read.";
}
