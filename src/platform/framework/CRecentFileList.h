#pragma once

#include <string>
#include <vector>

#include "platform/system/CString.h"

// The most recently opened files, newest first, at most `size` entries. Paths are native
// (UTF-8) strings; an entry already in the list moves to the front instead of repeating.
class CRecentFileList {
 public:
  static constexpr int kMaxSize = 16;  // the number of recent-file commands there are

  // `section` and `entryFormat` name where the list lives in the settings: section
  // "Recent File List", entries "File1", "File2", ...
  CRecentFileList(int size, CString section = L"Recent File List", CString entryFormat = L"File%d");

  void Add(const std::string& path);
  void Remove(int index);
  const std::vector<std::string>& Entries() const { return entries_; }

  // Read from and write to the application's per-user settings. Entries of PATH_MAX bytes or
  // more are dropped on reading.
  void ReadList();
  void WriteList() const;

 private:
  int size_;
  CString section_;
  CString entryFormat_;
  std::vector<std::string> entries_;
};
