#include "platform/framework/PdfPrintFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <cerrno>

// A new file that notices short writes (a full disk, a file size limit), which the file layer
// passes over as long as some bytes were written, and keeps the first write's errno.
class CheckedSaveFile : public QSaveFile {
 public:
  using QSaveFile::QSaveFile;
  bool WriteFailed() const { return writeErrno_ != 0; }
  int WriteErrno() const { return writeErrno_; }

 protected:
  qint64 writeData(const char* data, qint64 length) override {
    const qint64 written = QSaveFile::writeData(data, length);
    if (written != length && writeErrno_ == 0) writeErrno_ = errno != 0 ? errno : EIO;
    return written;
  }

 private:
  int writeErrno_ = 0;
};

namespace {

bool NoSpace(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

PdfPrintFile::PdfPrintFile(QString target, std::string shownPage)
    : target_(std::move(target)), shownPage_(std::move(shownPage)) {}

PdfPrintFile::~PdfPrintFile() {
  writer_.reset();
  if (file_ != nullptr) file_->cancelWriting();
}

bool PdfPrintFile::Fail(PrintFileError error, int systemError) {
  error_ = error;
  systemError_ = systemError;
  return false;
}

bool PdfPrintFile::TargetReplaceable() {
  const QByteArray native = QFile::encodeName(target_);
  struct stat status {};
  if (::lstat(native.constData(), &status) != 0) {
    return errno == ENOENT || Fail(PrintFileError::kCannotWrite, errno);
  }
  if (!S_ISREG(status.st_mode)) return Fail(PrintFileError::kNotAFile);
  struct stat shown {};
  if (!shownPage_.empty() && ::stat(shownPage_.c_str(), &shown) == 0 && SameFile(status, shown)) {
    return Fail(PrintFileError::kHeldPage);
  }
  // Page windows hold their files under an exclusive lock; a lock this one cannot take means
  // the file is open as a page.
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return Fail(PrintFileError::kCannotWrite, errno);
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);  // releases the lock with the descriptor
  return free || Fail(PrintFileError::kHeldPage);
}

QPagedPaintDevice* PdfPrintFile::Begin(const QPageLayout& layout, int resolution,
                                       const QString& title) {
  if (!TargetReplaceable()) return nullptr;
  file_ = std::make_unique<CheckedSaveFile>(target_);
  // The new file is never linked over the target: only a regular file or nothing is there.
  file_->setDirectWriteFallback(false);
  errno = 0;
  if (!file_->open(QIODevice::WriteOnly)) {
    const int error = errno != 0 ? errno : EIO;
    file_.reset();
    Fail(NoSpace(error) ? PrintFileError::kNoSpace : PrintFileError::kCannotWrite, error);
    return nullptr;
  }
  writer_ = std::make_unique<QPdfWriter>(file_.get());
  writer_->setResolution(resolution);
  writer_->setPageLayout(layout);
  writer_->setTitle(title);
  writer_->setCreator(QCoreApplication::applicationName());
  return writer_.get();
}

bool PdfPrintFile::Commit() {
  if (file_ == nullptr) return false;
  writer_.reset();
  errno = 0;
  if (!file_->flush() || file_->WriteFailed()) {
    const int error = file_->WriteFailed() ? file_->WriteErrno() : (errno != 0 ? errno : EIO);
    file_->cancelWriting();
    return Fail(NoSpace(error) ? PrintFileError::kNoSpace : PrintFileError::kCannotWrite, error);
  }
  // The target may have become a link or a page since the job began.
  if (!TargetReplaceable()) {
    file_->cancelWriting();
    return false;
  }
  errno = 0;
  if (!file_->commit()) {
    const int error = errno != 0 ? errno : EIO;
    return Fail(NoSpace(error) ? PrintFileError::kNoSpace : PrintFileError::kCannotWrite, error);
  }
  return true;
}
