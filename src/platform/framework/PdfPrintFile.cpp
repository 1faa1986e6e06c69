#include "platform/framework/PdfPrintFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

// A new file that notices short writes (a full disk, a file size limit), which the file layer
// passes over as long as some bytes were written.
class CheckedSaveFile : public QSaveFile {
 public:
  using QSaveFile::QSaveFile;
  bool WriteFailed() const { return writeFailed_; }

 protected:
  qint64 writeData(const char* data, qint64 length) override {
    const qint64 written = QSaveFile::writeData(data, length);
    if (written != length) writeFailed_ = true;
    return written;
  }

 private:
  bool writeFailed_ = false;
};

bool MayReplaceWithPrintOutput(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  struct stat status {};
  if (::lstat(native.constData(), &status) != 0) return errno == ENOENT;
  if (!S_ISREG(status.st_mode)) return false;
  // Page windows hold their files under an exclusive lock; a lock this one cannot take means
  // the file is open as a page.
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);  // releases the lock with the descriptor
  return free;
}

PdfPrintFile::PdfPrintFile(QString target) : target_(std::move(target)) {}

PdfPrintFile::~PdfPrintFile() {
  writer_.reset();
  if (file_ != nullptr) file_->cancelWriting();
}

QPagedPaintDevice* PdfPrintFile::Begin(const QPageLayout& layout, int resolution) {
  if (!MayReplaceWithPrintOutput(target_)) return nullptr;
  file_ = std::make_unique<CheckedSaveFile>(target_);
  // The new file is never linked over the target: only a regular file or nothing is there.
  file_->setDirectWriteFallback(false);
  if (!file_->open(QIODevice::WriteOnly)) {
    file_.reset();
    return nullptr;
  }
  writer_ = std::make_unique<QPdfWriter>(file_.get());
  writer_->setResolution(resolution);
  writer_->setPageLayout(layout);
  return writer_.get();
}

bool PdfPrintFile::Commit() {
  if (file_ == nullptr) return false;
  writer_.reset();
  // The target may have become a link or a page since the job began.
  if (!file_->flush() || file_->WriteFailed() || !MayReplaceWithPrintOutput(target_)) {
    file_->cancelWriting();
    return false;
  }
  return file_->commit();
}
