#include "cli/pages/CliPage.h"

#include <algorithm>
#include <vector>

#include "cli/output/RunInputs.h"
#include "cli/output/TextFormat.h"

namespace {

constexpr std::size_t kNoteChunk = std::size_t{1} << 20;

}  // namespace

bool ForEachNoteChunk(const CliPage& page,
                      const std::function<void(std::span<const std::uint8_t>)>& chunk) {
  const ByteBuffer& note = page.header.headerNote;
  if (page.depth == ReadDepth::kWhole || !page.file) {
    for (std::size_t at = 0; at < note.size(); at += kNoteChunk) {
      chunk({note.data() + at, std::min(kNoteChunk, note.size() - at)});
    }
    return true;
  }
  const auto noteBytes = static_cast<std::uint64_t>(page.header.headerSize - kFixedHeaderBytes);
  // Data is gathered into chunks; the holes of a sparse file are handed out as zeros unread.
  std::vector<std::uint8_t> buffer;
  buffer.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(noteBytes, kNoteChunk)));
  const auto flush = [&] {
    if (!buffer.empty()) chunk(buffer);
    buffer.clear();
  };
  const bool read = FilePixelSource(page.file).ReadBytes(
      kHeaderNoteOffset, noteBytes, [&](const FilePixelSource::Span& span) {
        if (span.bytes != nullptr) {
          if (buffer.size() + (span.end - span.start) > kNoteChunk) flush();
          buffer.insert(buffer.end(), span.bytes, span.bytes + (span.end - span.start));
          return;
        }
        flush();
        static const std::vector<std::uint8_t> zeros(kNoteChunk, 0);
        for (std::uint64_t at = span.start; at < span.end; at += kNoteChunk) {
          chunk({zeros.data(),
                 static_cast<std::size_t>(std::min<std::uint64_t>(span.end - at, kNoteChunk))});
        }
      });
  flush();
  return read;
}

std::unique_ptr<FilePixelSource> PixelSourceOf(const CliPage& page) {
  if (page.depth == ReadDepth::kWhole || !page.file) return nullptr;
  return std::make_unique<FilePixelSource>(page.file);
}

std::optional<CliPage> LoadPage(const std::string& path, PageLoadFailure& failure,
                                const RawLabelHook& onRawLabel, ReadDepth depth) {
  auto file = std::make_shared<CFile>();
  CliPage page;
  page.depth = depth;
  if (!LoadPageFile(*file, path, CFile::modeRead | CFile::shareDenyNone, page.header, *page.body,
                    failure, depth, onRawLabel)) {
    // A refused page was opened all the same: it is one of the run's inputs.
    if (failure.open == CFile::OpenFailure::kNone) NoteRunInput(path);
    return std::nullopt;
  }
  NoteRunInput(file->Descriptor());
  if (depth != ReadDepth::kWhole) page.file = std::move(file);
  return page;
}

std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath, ReadDepth depth) {
  PageLoadFailure failure;
  std::optional<CliPage> page = LoadPage(path, failure, {}, depth);
  if (page) return page;
  const std::string reason = DescribePageLoadFailure(failure);
  std::string report =
      namePath ? DisplayText(path) + ": " + kCannotOpenMessage : kCannotOpenMessage;
  if (!reason.empty()) report += (namePath ? ": " : "\n\n") + reason;
  PrintErr(report + "\n");
  return std::nullopt;
}
