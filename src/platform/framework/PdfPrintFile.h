#pragma once

#include <QString>
#include <memory>

class CheckedSaveFile;
class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;

// The PDF file of a print job, written as careful tools write their output: the pages go to a
// new file beside the target, which takes the target's place only once every byte is written.
// So the target is never half-written, and a file already there stays intact when the job
// fails (a full disk, say). A link at the target's name, anything but a regular file, and a
// file that a page window holds open (a page file) are refused rather than written over.
class PdfPrintFile {
 public:
  explicit PdfPrintFile(QString target);
  ~PdfPrintFile();  // drops the new file unless Commit() succeeded
  PdfPrintFile(const PdfPrintFile&) = delete;
  PdfPrintFile& operator=(const PdfPrintFile&) = delete;

  // Starts the new file with the printer's page layout and resolution (dots per inch). The
  // device to paint the pages on, or null when the target is refused or no file can be made.
  QPagedPaintDevice* Begin(const QPageLayout& layout, int resolution);
  // After the painter on the device has ended: puts the new file in the target's place. False,
  // with the target untouched, when any write failed.
  bool Commit();

 private:
  QString target_;
  std::unique_ptr<CheckedSaveFile> file_;
  std::unique_ptr<QPdfWriter> writer_;
};

// Whether `path` may be replaced by a print job's file: it does not exist, or it is a regular
// file (not a link) that no page window holds.
bool MayReplaceWithPrintOutput(const QString& path);
