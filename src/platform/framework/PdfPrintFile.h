#pragma once

#include <QString>
#include <memory>
#include <string>

class CheckedSaveFile;
class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;

// Why a print job's file was refused or not written.
enum class PrintFileError {
  kNone,
  kHeldPage,     // the target is the page on show or a file a page window holds open
  kNotAFile,     // the target is a symbolic link or anything but a regular file
  kNoSpace,      // no space left: disk, quota or file size limit
  kCannotWrite,  // the new file cannot be made, written or put in place (see SystemError)
};

// The PDF file of a print job, written as careful tools write their output: the pages go to a
// new file beside the target, which takes the target's place only once every byte is written.
// So the target is never half-written, and a file already there stays intact when the job
// fails (a full disk, say). A link at the target's name, anything but a regular file, the page
// on show and any file a page window holds open are refused rather than written over.
class PdfPrintFile {
 public:
  // `shownPage` is the file of the page on show (empty when none); it is refused as a target
  // under any name, held open or not.
  PdfPrintFile(QString target, std::string shownPage);
  ~PdfPrintFile();  // drops the new file unless Commit() succeeded
  PdfPrintFile(const PdfPrintFile&) = delete;
  PdfPrintFile& operator=(const PdfPrintFile&) = delete;

  // Starts the new file with the printer's page layout and resolution (dots per inch) and the
  // document's title. The device to paint the pages on, or null (see Error) when the target is
  // refused or no file can be made.
  QPagedPaintDevice* Begin(const QPageLayout& layout, int resolution, const QString& title);
  // After the painter on the device has ended: puts the new file in the target's place. False
  // (see Error), with the target untouched, when any write failed.
  bool Commit();

  PrintFileError Error() const { return error_; }
  int SystemError() const { return systemError_; }  // errno of the failure, 0 when none

 private:
  bool Fail(PrintFileError error, int systemError = 0);
  // Whether the target may be replaced now; sets the error when not.
  bool TargetReplaceable();

  QString target_;
  std::string shownPage_;
  std::unique_ptr<CheckedSaveFile> file_;
  std::unique_ptr<QPdfWriter> writer_;
  PrintFileError error_ = PrintFileError::kNone;
  int systemError_ = 0;
};
