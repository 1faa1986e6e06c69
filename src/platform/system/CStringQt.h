#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/system/CString.h"

// Conversions between the wide text of the user interface, Qt strings and UTF-8.
// Invalid UTF-8 becomes U+FFFD; nothing fails.
QString ToQString(const CString& text);
CString FromQString(const QString& text);
std::string ToUtf8(const CString& text);
CString FromUtf8(std::string_view text);
