#include "platform/system/CStringQt.h"

#include <QByteArray>

QString ToQString(const CString& text) { return QString::fromStdWString(text); }

CString FromQString(const QString& text) { return text.toStdWString(); }

std::string ToUtf8(const CString& text) { return ToQString(text).toUtf8().toStdString(); }

CString FromUtf8(std::string_view text) {
  return FromQString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}
