#include "cli/CliPage.h"

#include <cstdio>

#include "platform/system/CFile.h"

std::optional<CliPage> LoadPage(const std::string& path, LoadFailure& failure,
                                const RawLabelHook& onRawLabel) {
  failure = LoadFailure{};
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone)) return std::nullopt;
  failure.opened = true;
  CFileSource source(file);
  CliPage page;
  failure.fault = ReadPageHeader(source, page.header);
  if (!failure.fault) {
    failure.fault = ReadPageBody(source, page.header.codeLength, *page.body, onRawLabel);
  }
  if (failure.fault) return std::nullopt;
  return page;
}

std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath) {
  LoadFailure failure;
  std::optional<CliPage> page = LoadPage(path, failure);
  if (page) return page;
  // As in the viewer, the system's cause of an open failure is not shown.
  const std::string reason = failure.opened ? DescribePageFault(failure.fault) : std::string();
  std::string report = namePath ? path + ": " + kCannotOpenMessage : kCannotOpenMessage;
  if (!reason.empty()) report += (namePath ? ": " : "\n\n") + reason;
  std::fprintf(stderr, "%s\n", report.c_str());
  return std::nullopt;
}
