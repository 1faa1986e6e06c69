#include "platform/framework/ResourceStrings.h"

#include <QStringList>

#include "platform/framework/ResourceTypes.h"

QString LoadQString(UINT id) {
  const wchar_t* text = FindStringResource(id);
  return text != nullptr ? QString::fromWCharArray(text) : QString();
}

QString ResourceStringPart(UINT id, int part) {
  const QStringList parts = LoadQString(id).split(QLatin1Char('\n'));
  return part < parts.size() ? parts[part] : QString();
}

QString CommandPrompt(UINT id) { return ResourceStringPart(id, 0); }
QString CommandTip(UINT id) { return ResourceStringPart(id, 1); }
