#include "platform/framework/MenuText.h"

namespace {

constexpr QChar kEllipsis(0x2026);

// The first kMenuNameLength characters' worth of `name`: whole when short, else its start and
// its end around an ellipsis, the end from the last '/' on when the file name fits.
QString ElidedName(const QString& name) {
  if (name.size() <= kMenuNameLength) return name;
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  qsizetype tail = name.size() - slash;
  if (slash < 0 || tail > kMenuNameLength / 2) tail = kMenuNameLength / 2;
  const qsizetype head = kMenuNameLength - 1 - tail;
  return name.left(head) + kEllipsis + name.right(tail);
}

}  // namespace

QString NumberedMenuText(int number, const QString& name) {
  QString text = QStringLiteral("&%1 ").arg(number);
  for (const QChar character : ElidedName(name)) {
    if (character == QLatin1Char('&')) {
      text += QStringLiteral("&&");
    } else if (character.category() == QChar::Other_Control) {
      text += QChar(QChar::ReplacementCharacter);
    } else {
      text += character;
    }
  }
  return text;
}
