#pragma once

#include <memory>
#include <string>

#include "pagefile/PageReader.h"

// A page read from bytes in memory the way the viewer reads it: header, then body.
struct LoadedPage {
  PageHeader header;
  std::unique_ptr<PageBody> body = std::make_unique<PageBody>();
  PageFault fault;
};

LoadedPage LoadFromBytes(const std::string& bytes, ReadDepth depth = ReadDepth::kWhole);

// The label of `line` as stored, terminating 0 included.
std::string StoredLabel(const PageLine& line);
std::string StoredPixels(const PageLine& line);
