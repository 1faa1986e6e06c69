#include "platform/framework/ResourceStrings.h"

#include <QStringList>

#include "platform/framework/ResourceTypes.h"

namespace {

QString CommandStringPart(UINT id, int part) {
  const QStringList parts = LoadQString(id).split(QLatin1Char('\n'));
  return part < parts.size() ? parts[part] : QString();
}

}  // namespace

QString LoadQString(UINT id) {
  const wchar_t* text = FindStringResource(id);
  return text != nullptr ? QString::fromWCharArray(text) : QString();
}

QString CommandPrompt(UINT id) { return CommandStringPart(id, 0); }
QString CommandTip(UINT id) { return CommandStringPart(id, 1); }
