#pragma once

#include <string>

#include "pagefile/PageReader.h"
#include "platform/system/CFile.h"

// Loading a page file into a page model, for the viewer and the command-line tool alike: the
// one place where a file is opened and read, and the one wording of why it could not be.

// The viewer's open-failure text, the first line of every such report.
inline constexpr char kCannotOpenMessage[] = "Cannot open the PLIM file";

// Why a page file could not be loaded: it could not be opened (`open`, `systemError` as CFile
// gives them), or the reader refused it (`fault`).
struct PageLoadFailure {
  CFile::OpenFailure open = CFile::OpenFailure::kNone;
  int systemError = 0;
  PageFault fault;
};

// The reason in one English phrase: DescribeOpenFailure or DescribePageFault.
std::string DescribePageLoadFailure(const PageLoadFailure& failure);

// Opens `path` into `file` with CFile's `openFlags` (an exclusive hold unless
// CFile::shareDenyNone is given) and reads the header and the body into `header` and `body`
// (a fresh body), to the `depth` given; `onRawLabel` is handed on to the reader. False, with
// `failure` set and the file closed, when it cannot be opened or the page is refused; `body`
// then keeps what the reader made of it.
bool LoadPageFile(CFile& file, const std::string& path, unsigned openFlags, PageHeader& header,
                  PageBody& body, PageLoadFailure& failure, ReadDepth depth = ReadDepth::kWhole,
                  const RawLabelHook& onRawLabel = {});
