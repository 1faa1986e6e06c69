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
  // The system's error number behind the last failed Open (EISDIR for a folder), 0 when the
  // failure is this class's own finding (a read-only file, a device).
  int LastOpenError() const { return lastError_; }
  // Reads up to `count` bytes into `buffer`; returns how many arrived.
  std::size_t Read(void* buffer, std::size_t count);
  // Moves the position `count` bytes on without reading; false when it cannot.
  bool SkipForward(std::uint64_t count);
  // Reads up to `count` bytes at `offset`, leaving the position alone; the number read, or -1
  // on an error.
  std::int64_t ReadAt(void* buffer, std::size_t count, std::uint64_t offset) const;
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  // The open descriptor, -1 when closed; it stays this object's.
  int Descriptor() const { return fd_; }
  std::uint64_t GetLength() const;
  std::uint64_t GetPosition() const;

 private:
  int fd_ = -1;
  OpenFailure lastFailure_ = OpenFailure::kNone;
  int lastError_ = 0;
};

// Why an open failed, in English, as the viewer and the command-line tool both say it: the
// system's own words where they are specific ("No such file or directory", "Permission
// denied", "Is a directory"), a sentence of ours where they are not (a read-only file, a file
// held by another window or program, some other kind of file). Empty for kNone.
std::string DescribeOpenFailure(CFile::OpenFailure failure, int systemError);

// The page reader's byte source over an open CFile, from its current position to its end.
class CFileSource : public ByteSource {
 public:
  explicit CFileSource(CFile& file);
  std::uint64_t Remaining() const override;
  bool ReadExactly(void* destination, std::size_t count) override;
  bool Skip(std::uint64_t count) override;
  std::int64_t Offset() const override { return static_cast<std::int64_t>(offset_); }

 private:
  CFile& file_;
  std::uint64_t remaining_;
  std::uint64_t offset_;
};
