#include "platform/system/CFont.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kMaxCellHeight = 4096;

// Faces named by Windows programs that are installed under another name here. The Song face
// "宋体" ("SimSun") has a cell as tall as its em, so its glyphs fill a 16-pixel cell; the Ming
// face that stands in for it has the same property.
struct FaceAlias {
  const wchar_t* named;
  const char* installed;
};
constexpr FaceAlias kFaceAliases[] = {{L"宋体", "AR PL UMing CN"}, {L"SimSun", "AR PL UMing CN"}};

// Asked after the face the caller names (or its alias): simplified-Chinese faces for glyphs it
// lacks, serif first. Glyphs missing from all of them still come from the system's fallback.
const char* const kFallbackFamilies[] = {"AR PL UMing CN", "Noto Serif CJK SC", "Noto Sans CJK SC"};

QStringList FamiliesFor(const wchar_t* faceName) {
  QStringList families;
  if (faceName != nullptr && *faceName != L'\0') {
    const QString named = QString::fromWCharArray(faceName);
    for (const FaceAlias& alias : kFaceAliases) {
      if (named.compare(QString::fromWCharArray(alias.named), Qt::CaseInsensitive) == 0) {
        families << QString::fromLatin1(alias.installed);
      }
    }
    families << named;
  }
  for (const char* family : kFallbackFamilies) {
    if (!families.contains(QLatin1String(family))) families << QString::fromLatin1(family);
  }
  return families;
}

int CellOf(const QFont& font) {
  const QFontMetrics metrics(font);
  return metrics.ascent() + metrics.descent();
}

}  // namespace

CFont::CFont() = default;
CFont::~CFont() = default;

bool CFont::CreateFontW(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                        int weight, std::uint8_t italic, std::uint8_t underline,
                        std::uint8_t strikeOut, std::uint8_t /*charSet*/,
                        std::uint8_t /*outPrecision*/, std::uint8_t /*clipPrecision*/,
                        std::uint8_t /*quality*/, std::uint8_t /*pitchAndFamily*/,
                        const wchar_t* faceName) {
  font_.reset();
  cellHeight_ = 0;
  ascent_ = 0;
  if (QGuiApplication::instance() == nullptr) return false;

  auto font = std::make_unique<QFont>();
  font->setFamilies(FamiliesFor(faceName));
  font->setStyleHint(QFont::Serif);
  font->setWeight(static_cast<QFont::Weight>(weight <= 0 ? FW_NORMAL : std::min(weight, 1000)));
  font->setItalic(italic != 0);
  font->setUnderline(underline != 0);
  font->setStrikeOut(strikeOut != 0);

  if (height < 0) {
    font->setPixelSize(height < -kMaxCellHeight ? kMaxCellHeight : -height);
    cellHeight_ = CellOf(*font);
  } else {
    cellHeight_ = height == 0 ? kDefaultCellHeight : std::min(height, kMaxCellHeight);
    // The largest pixel size whose ascent + descent fits the cell.
    int pixelSize = cellHeight_;
    font->setPixelSize(pixelSize);
    while (pixelSize > 1 && CellOf(*font) > cellHeight_) font->setPixelSize(--pixelSize);
  }
  if (cellHeight_ <= 0) {
    cellHeight_ = 0;
    return false;
  }
  ascent_ = QFontMetrics(*font).ascent();
  font_ = std::move(font);
  return true;
}
