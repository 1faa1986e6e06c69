#include "pagefile/PageLoad.h"

#include <span>

#include "pagefile/MemorySource.h"

LoadedPage LoadFromBytes(const std::string& bytes, ReadDepth depth) {
  MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  LoadedPage page;
  page.fault = ReadPageHeader(source, page.header, depth);
  if (!page.fault) page.fault = ReadPageBody(source, page.header.codeLength, *page.body, {}, depth);
  return page;
}

std::string StoredLabel(const PageLine& line) {
  return {reinterpret_cast<const char*>(line.label.data()), line.label.size()};
}

std::string StoredPixels(const PageLine& line) {
  return {reinterpret_cast<const char*>(line.pixels.data()), line.pixels.size()};
}
