#include "platform/text/QtLabelText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

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

QStringList FamiliesFor(const std::wstring& faceName) {
  QStringList families;
  if (!faceName.empty()) {
    const QString named = QString::fromStdWString(faceName);
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

class QtFont : public LabelFont {
 public:
  virtual QFont Font() const = 0;
};

// A face made for a request: the cell it was asked for and the face's ascent at its size.
class MadeFont final : public QtFont {
 public:
  MadeFont(QFont font, int cellHeight)
      : font_(std::move(font)), cellHeight_(cellHeight), ascent_(QFontMetrics(font_).ascent()) {}
  int CellHeight() const override { return cellHeight_; }
  int Ascent() const override { return ascent_; }
  std::int64_t Advance(const wchar_t* text, int length) const override {
    return QFontMetrics(font_).horizontalAdvance(QString::fromWCharArray(text, length));
  }
  QFont Font() const override { return font_; }

 private:
  QFont font_;
  int cellHeight_;
  int ascent_;
};

// The application's font, whatever it is at the time; no metrics without an application.
class ApplicationFont final : public QtFont {
 public:
  int CellHeight() const override { return Ready() ? QFontMetrics(Font()).height() : 0; }
  int Ascent() const override { return Ready() ? QFontMetrics(Font()).ascent() : 0; }
  std::int64_t Advance(const wchar_t* text, int length) const override {
    if (!Ready()) return 0;
    return QFontMetrics(Font()).horizontalAdvance(QString::fromWCharArray(text, length));
  }
  QFont Font() const override { return QGuiApplication::font(); }

 private:
  static bool Ready() { return QGuiApplication::instance() != nullptr; }
};

class QtEngine final : public LabelTextEngine {
 public:
  bool Ready() const override { return QGuiApplication::instance() != nullptr; }

  std::unique_ptr<LabelFont> MakeFont(const FontRequest& request) override {
    if (!Ready()) return nullptr;
    QFont font;
    font.setFamilies(FamiliesFor(request.face));
    font.setStyleHint(QFont::Serif);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(request.weight, 1, 1000)));
    font.setItalic(request.italic);
    font.setUnderline(request.underline);
    font.setStrikeOut(request.strikeOut);

    int cellHeight = 0;
    if (request.height < 0) {
      font.setPixelSize(request.height < -kMaxCellHeight ? kMaxCellHeight : -request.height);
      cellHeight = CellOf(font);
    } else {
      cellHeight =
          request.height == 0 ? kDefaultCellHeight : std::min(request.height, kMaxCellHeight);
      // The largest pixel size whose ascent + descent fits the cell.
      int pixelSize = cellHeight;
      font.setPixelSize(pixelSize);
      while (pixelSize > 1 && CellOf(font) > cellHeight) font.setPixelSize(--pixelSize);
    }
    if (cellHeight <= 0) return nullptr;
    return std::make_unique<MadeFont>(font, cellHeight);
  }

  const LabelFont& DefaultFont() override { return applicationFont_; }

  void Draw(const TextDrawing& drawing) override {
    if (!Ready() || drawing.canvas == nullptr || drawing.font == nullptr) return;
    Canvas& canvas = *drawing.canvas;
    QImage image(canvas.bytes(), canvas.width(), canvas.height(), canvas.strideBytes(),
                 QImage::Format_RGB32);
    QPainter painter(&image);
    const PixelRect& clip = drawing.clip;
    const PixelRect& cell = drawing.cell;
    painter.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    painter.fillRect(QRect(QPoint(cell.left, cell.top), QPoint(cell.right - 1, cell.bottom - 1)),
                     Qt::white);
    painter.setFont(QtFontOf(*drawing.font));
    const std::uint32_t color = drawing.color;
    painter.setPen(QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    painter.translate(static_cast<qreal>(drawing.left), static_cast<qreal>(drawing.top));
    if (drawing.scale != 1.0f) painter.scale(drawing.scale, drawing.scale);
    painter.drawText(QPointF(0.0, static_cast<qreal>(drawing.font->Ascent())),
                     QString::fromWCharArray(drawing.text, drawing.length));
  }

 private:
  ApplicationFont applicationFont_;
};

// Sets an environment variable for the life of the object, then puts back what was there.
class EnvironmentFor {
 public:
  EnvironmentFor(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setenv(name, value, 1);
  }
  ~EnvironmentFor() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentFor(const EnvironmentFor&) = delete;
  EnvironmentFor& operator=(const EnvironmentFor&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

}  // namespace

LabelTextEngine& QtLabelText() {
  static QtEngine engine;
  return engine;
}

void MakeLabelTextApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 3;
  static char name[] = "plimdisp";
  static char platformOption[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, platformOption, platform, nullptr};
  // Making the application looks for a sandbox marker in the runtime folder; with
  // XDG_RUNTIME_DIR unset (or unusable) Qt makes $TMPDIR/runtime-$USER for that and leaves it
  // behind. Text needs no runtime folder, so meanwhile TMPDIR names a place where no folder
  // can be made.
  const EnvironmentFor noTemporaryFolder("TMPDIR", "/dev/null");
  static QGuiApplication application(argc, argv);
}

QFont QtFontOf(const LabelFont& font) { return static_cast<const QtFont&>(font).Font(); }
