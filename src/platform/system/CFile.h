#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pagefile/PageReader.h"

// A file opened by path, read in sequence. Paths are native (UTF-8) byte strings.
class CFile {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeReadWrite = 0x0002,
    // Without this flag an open takes exclusive access: an exclusive, non-blocking lock that
    // every other opener without it is refused, in this process or another.
    shareDenyNone = 0x0040,
  };

  // Why the last Open failed.
  enum class OpenFailure {
    kNone,
    kMissing,       // no file at the path
    kNoPermission,  // the caller may not open it at all
    kReadOnly,      // it may be read but not written (file or file system)
    kHeld,          // another exclusive opener holds it
    kNotAFile,      // a folder, device or pipe
    kOther,
  };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens an existing file; never creates one. modeReadWrite fails for a file without write
  // permission bits even when the caller could override them (root). False on any failure,
  // whose reason LastOpenFailure() then gives.
  bool Open(const std::string& path, unsigned flags);
  OpenFailure LastOpenFailure() const { return lastFailure_; }
  // Reads up to `count` bytes into `buffer`; returns how many arrived.
  std::size_t Read(void* buffer, std::size_t count);
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  std::uint64_t GetLength() const;
  std::uint64_t GetPosition() const;

 private:
  int fd_ = -1;
  OpenFailure lastFailure_ = OpenFailure::kNone;
};

// One English sentence telling the user why an open failed; empty for kNone.
const char* DescribeOpenFailure(CFile::OpenFailure failure);

// The page reader's byte source over an open CFile, from its current position to its end.
class CFileSource : public ByteSource {
 public:
  explicit CFileSource(CFile& file);
  std::uint64_t Remaining() const override;
  bool ReadExactly(void* destination, std::size_t count) override;

 private:
  CFile& file_;
  std::uint64_t remaining_;
};
