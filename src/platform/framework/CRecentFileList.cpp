#include "platform/framework/CRecentFileList.h"

#include <QSettings>
#include <algorithm>
#include <climits>

#include "platform/system/CStringQt.h"

namespace {

QString EntryKey(const CString& format, int number) {
  return ToQString(format).replace(QStringLiteral("%d"), QString::number(number));
}

}  // namespace

CRecentFileList::CRecentFileList(int size, CString section, CString entryFormat)
    : size_(std::clamp(size, 0, kMaxSize)),
      section_(std::move(section)),
      entryFormat_(std::move(entryFormat)) {}

void CRecentFileList::Add(const std::string& path) {
  if (size_ == 0 || path.empty()) return;
  std::erase(entries_, path);
  entries_.insert(entries_.begin(), path);
  if (static_cast<int>(entries_.size()) > size_) entries_.resize(size_);
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < static_cast<int>(entries_.size())) {
    entries_.erase(entries_.begin() + index);
  }
}

void CRecentFileList::ReadList() {
  QSettings settings;
  settings.beginGroup(ToQString(section_));
  entries_.clear();
  for (int number = 1; number <= size_; ++number) {
    const std::string path =
        settings.value(EntryKey(entryFormat_, number)).toString().toStdString();
    // An entry longer than any path can be names no file; the settings file may be hostile.
    if (!path.empty() && path.size() < PATH_MAX) Add(path);
  }
  // Add() put the oldest first; restore newest-first order.
  std::reverse(entries_.begin(), entries_.end());
}

void CRecentFileList::WriteList() const {
  QSettings settings;
  settings.beginGroup(ToQString(section_));
  for (int number = 1; number <= size_; ++number) {
    const std::size_t index = static_cast<std::size_t>(number - 1);
    if (index < entries_.size()) {
      settings.setValue(EntryKey(entryFormat_, number), QString::fromStdString(entries_[index]));
    } else {
      settings.remove(EntryKey(entryFormat_, number));
    }
  }
}
