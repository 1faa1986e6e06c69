#include "cli/CliPage.h"

#include <cstdio>

#include "platform/CFile.h"

std::optional<CliPage> LoadPageOrReport(const std::string& path) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
    // As in the viewer, the system's cause is not shown.
    std::fprintf(stderr, "%s\n", kCannotOpenMessage);
    return std::nullopt;
  }
  CFileSource source(file);
  CliPage page;
  PageFault fault = ReadPageHeader(source, page.header);
  if (!fault) fault = ReadPageBody(source, page.header.codeLength, *page.body);
  if (fault) {
    std::fprintf(stderr, "%s\n\n%s\n", kCannotOpenMessage, DescribePageFault(fault).c_str());
    return std::nullopt;
  }
  return page;
}
