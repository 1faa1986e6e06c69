#include "platform/system/CFont.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kMaxCellHeight = 4096;

// Asked after the face the caller names: an installed simplified-Chinese serif face, then a
// sans one. Glyphs missing from all of them still come from the system's font fallback.
const char* const kFallbackFamilies[] = {"Noto Serif CJK SC", "Noto Sans CJK SC"};

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

  QStringList families;
  if (faceName != nullptr && *faceName != L'\0') families << QString::fromWCharArray(faceName);
  for (const char* family : kFallbackFamilies) families << QString::fromLatin1(family);

  auto font = std::make_unique<QFont>();
  font->setFamilies(families);
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
