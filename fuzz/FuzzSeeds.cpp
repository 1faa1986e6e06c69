// plimdisp-fuzz-seeds SAMPLES_DIR LOAD_CORPUS DRAW_CORPUS
// Writes the seed inputs of the fuzz targets: every sample page cut down to a few small lines
// (so the fuzzer mutates real headers, labels and positions within a short input), and a set
// of hand-made edge pages. The draw corpus holds each seed behind several zoom and viewport
// choices.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzBodies.h"
#include "pagefile/MemorySource.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kSeedLines = 3;
constexpr std::int32_t kSeedSide = 12;       // pixels per side of a cut-down line image
constexpr std::int32_t kSeedLabelCodes = 6;  // character codes kept of a label
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::string Text(const std::uint8_t* bytes, std::size_t size) {
  return {reinterpret_cast<const char*>(bytes), size};
}

// The sample at `path` with at most kSeedLines lines of at most kSeedSide x kSeedSide pixels.
bool CutDownSample(const fs::path& path, PageDraft& draft) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  PageHeader header;
  auto body = std::make_unique<PageBody>();
  if (ReadPageHeader(source, header) || ReadPageBody(source, header.codeLength, *body)) {
    return false;
  }
  draft.headerTag8 = Text(header.headerTag8.data(), header.headerTag8.size());
  draft.headerNote = Text(header.headerNote.data(), header.headerNote.size());
  draft.headerTag20 = Text(header.headerTag20.data(), header.headerTag20.size());
  draft.codeLength = header.codeLength;
  draft.headerWord = header.headerWord;
  draft.pageWidth = body->pageWidth;
  draft.pageHeight = body->pageHeight;
  for (std::int32_t i = 0; i < std::min(body->UsedLines(), kSeedLines); ++i) {
    const PageLine& line = body->lines[static_cast<std::size_t>(i)];
    LineDraft cut;
    cut.charCount = std::min(line.charCount, kSeedLabelCodes);
    cut.label =
        Text(line.label.data(), static_cast<std::size_t>(cut.charCount) *
                                    static_cast<std::size_t>(std::max<int>(draft.codeLength, 0)));
    cut.top = line.top;
    cut.left = line.left;
    cut.height = std::min(line.height, kSeedSide);
    cut.width = std::min(line.width, kSeedSide);
    for (std::int32_t row = 0; row < cut.height; ++row) {
      cut.pixels += Text(line.pixels.data() + std::int64_t{row} * line.width,
                         static_cast<std::size_t>(cut.width));
    }
    draft.lines.push_back(std::move(cut));
  }
  return true;
}

std::vector<std::pair<std::string, PageDraft>> EdgePages() {
  std::vector<std::pair<std::string, PageDraft>> pages;
  auto add = [&pages](std::string name, PageDraft draft) {
    pages.emplace_back(std::move(name), std::move(draft));
  };
  PageDraft page;
  page.pageWidth = 64;
  page.pageHeight = 48;
  add("no-lines", page);

  PageDraft negative = page;
  negative.lineCount = -1;
  add("negative-line-count", negative);

  PageDraft overlap = page;
  overlap.headerNote = "note";
  overlap.lines = {DraftLine(3, 2, 7, 5, Solid(0x80), "ab"),
                   DraftLine(5, 4, 6, 6, Solid(0x7F), "c"), DraftLine(0, 0, 9, 0),
                   DraftLine(1, 1, 0, 3, {}, "d")};
  add("overlapping-and-empty-lines", overlap);

  PageDraft wide = page;
  wide.codeLength = 2;
  wide.lines = {DraftLine(10, 10, 5, 2, Solid(0x20), std::string("\xD2\x00\xC3\xE6", 4))};
  wide.lines[0].charCount = 2;
  add("two-byte-codes-with-zero", wide);

  PageDraft far = page;
  far.lines = {DraftLine(-7, -5, 4, 3, {}, "x"),
               DraftLine(kInt32Max - 3, kInt32Max - 2, 2, 2, {}, "y"),
               DraftLine(0, std::numeric_limits<std::int32_t>::min(), 1, 1, {}, "z")};
  add("lines-at-the-int32-ends", far);

  PageDraft full = page;
  for (std::int32_t i = 0; i < 100; ++i) full.lines.push_back(DraftLine(i, i % 40, 1, 1, {}, "L"));
  add("hundred-lines", full);
  return pages;
}

// Key and viewport choices put in front of every draw seed: zoom 1.0, one "+", one "-", far
// in, far out, a long alternating run, and a viewport scrolled away from the origin.
struct DrawChoice {
  const char* name;
  std::uint32_t keyPattern;  // bit i % 32 set: press i is '+'
  std::uint16_t presses;
  std::uint8_t widthLess1, heightLess1;
  std::int32_t originX, originY;
};
constexpr DrawChoice kDrawChoices[] = {
    {"z1", 0, 0, 63, 63, 0, 0},          {"zplus", ~0u, 1, 99, 79, 0, 0},
    {"zminus", 0, 1, 63, 63, 0, 0},      {"zfar-in", ~0u, 40, 31, 31, 1000, 1000},
    {"zfar-out", 0, 60, 15, 15, 0, 0},   {"zalternating", 0x55555555u, 1001, 47, 47, 0, 0},
    {"scrolled", ~0u, 2, 39, 29, 7, 11},
};

std::string DrawParameters(const DrawChoice& choice) {
  std::string bytes(kDrawParameterBytes, '\0');
  char* out = bytes.data();
  for (auto [field, size] : {std::pair<const void*, std::size_t>{&choice.keyPattern, 4},
                             {&choice.presses, 2},
                             {&choice.widthLess1, 1},
                             {&choice.heightLess1, 1},
                             {&choice.originX, 4},
                             {&choice.originY, 4}}) {
    std::memcpy(out, field, size);
    out += size;
  }
  return bytes;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: plimdisp-fuzz-seeds SAMPLES_DIR LOAD_CORPUS DRAW_CORPUS\n";
    return 2;
  }
  std::vector<std::pair<std::string, PageDraft>> seeds = EdgePages();
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(argv[1], error)) {
    PageDraft draft;
    if (entry.path().extension() == ".plim" && CutDownSample(entry.path(), draft)) {
      seeds.emplace_back("sample-" + entry.path().stem().string(), std::move(draft));
    }
  }
  const fs::path loadDir = argv[2], drawDir = argv[3];
  fs::create_directories(loadDir);
  fs::create_directories(drawDir);
  bool written = true;
  for (const auto& [name, draft] : seeds) {
    const std::string page = WritePage(draft);
    written &= WriteFile(loadDir / (name + ".plim"), page);
    for (const DrawChoice& choice : kDrawChoices) {
      written &= WriteFile(drawDir / (name + "-" + choice.name), DrawParameters(choice) + page);
    }
  }
  if (!written) {
    std::cerr << "plimdisp-fuzz-seeds: cannot write the seeds\n";
    return 1;
  }
  std::cout << seeds.size() << " seed pages\n";
  return 0;
}
