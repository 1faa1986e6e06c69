#include "platform/system/PageFileLoad.h"

std::string DescribePageLoadFailure(const PageLoadFailure& failure) {
  if (failure.open != CFile::OpenFailure::kNone) {
    return DescribeOpenFailure(failure.open, failure.systemError);
  }
  return DescribePageFault(failure.fault);
}

bool LoadPageFile(CFile& file, const std::string& path, unsigned openFlags, PageHeader& header,
                  PageBody& body, PageLoadFailure& failure, ReadDepth depth,
                  const RawLabelHook& onRawLabel) {
  failure = PageLoadFailure{};
  if (!file.Open(path, openFlags)) {
    failure.open = file.LastOpenFailure();
    failure.systemError = file.LastOpenError();
    return false;
  }
  CFileSource source(file);
  failure.fault = ReadPageHeader(source, header, depth);
  if (!failure.fault)
    failure.fault = ReadPageBody(source, header.codeLength, body, onRawLabel, depth);
  if (!failure.fault) return true;
  file.Close();
  return false;
}
