#include "samplegen/SamplePage.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "samplegen/Cp936.h"
#include "samplegen/LineImage.h"
#include "samplegen/SampleRandom.h"
#include "samplegen/SampleText.h"

namespace {

// Page geometry in page pixels.
constexpr std::int32_t kPageWidth = 1200;
constexpr std::int32_t kPageHeight = 1600;
constexpr std::int32_t kMarginLeft = 96;
constexpr std::int32_t kMarginRight = 96;
constexpr std::int32_t kMarginTop = 100;
constexpr std::int32_t kMarginBottom = 100;
constexpr std::int32_t kFontPixels = 36;

constexpr std::int16_t kCodeLength = 2;
constexpr std::int16_t kHeaderWord = 300;  // our pages' nominal scan resolution, dots per inch

const char* const kFontFamilies[] = {"Noto Serif CJK SC", "Noto Sans CJK SC"};

// A CJK font for the page, chosen by the seed among the installed families.
std::optional<QFont> PickFont(SampleRandom& random, std::string& error) {
  const QStringList installed = QFontDatabase::families();
  std::vector<QString> usable;
  for (const char* family : kFontFamilies) {
    if (installed.contains(QString::fromLatin1(family))) usable.emplace_back(family);
  }
  if (usable.empty()) {
    error = "no simplified-Chinese font found (install fonts-noto-cjk)";
    return std::nullopt;
  }
  QFont font(usable[random.Between(0, static_cast<std::int32_t>(usable.size()) - 1)]);
  font.setPixelSize(kFontPixels);
  return font;
}

// Sentence indices for `count` lines: the whole pool shuffled, reshuffled for every further
// round when more lines than sentences are wanted.
std::vector<std::size_t> PickSentences(std::int32_t count, SampleRandom& random) {
  std::vector<std::size_t> pool(SampleSentences().size());
  std::vector<std::size_t> picked;
  while (static_cast<std::int32_t>(picked.size()) < count) {
    std::iota(pool.begin(), pool.end(), std::size_t{0});
    for (std::size_t i = pool.size() - 1; i > 0; --i) {
      std::swap(pool[i], pool[random.Between(0, static_cast<std::int32_t>(i))]);
    }
    picked.insert(picked.end(), pool.begin(), pool.end());
  }
  picked.resize(count);
  return picked;
}

std::string FixedField(const std::string& text, std::size_t size) {
  std::string field = text.substr(0, size);
  field.resize(size, '\0');
  return field;
}

void FillHeader(const SampleOptions& options, std::int32_t lineCount, PageDraft& page) {
  char tag20[21];
  std::snprintf(tag20, sizeof tag20, "sample-%08x", static_cast<unsigned>(options.seed));
  page.headerTag8 = FixedField("PLIMSMPL", 8);
  page.headerTag20 = FixedField(tag20, 20);
  page.headerNote = "Sample page, seed " + std::to_string(options.seed) + ", " +
                    std::to_string(lineCount) + " lines of simplified Chinese.";
  page.codeLength = kCodeLength;
  page.headerWord = kHeaderWord;
}

}  // namespace

std::optional<PageDraft> BuildSamplePage(const SampleOptions& options, std::string& error) {
  SampleRandom random(options.seed);
  const std::int32_t lineCount = options.lineCount.value_or(random.Between(10, 20));
  if (lineCount < kMinSampleLines || lineCount > kMaxSampleLines) {
    error = "line count must be between " + std::to_string(kMinSampleLines) + " and " +
            std::to_string(kMaxSampleLines);
    return std::nullopt;
  }
  const std::optional<QFont> font = PickFont(random, error);
  if (!font) return std::nullopt;

  PageDraft page;
  FillHeader(options, lineCount, page);
  std::int32_t top = kMarginTop;
  std::int32_t right = 0;
  for (std::size_t index : PickSentences(lineCount, random)) {
    const std::string_view sentence = SampleSentences()[index];
    const std::optional<Cp936Label> label = EncodeCp936Label(sentence, error);
    if (!label) return std::nullopt;
    GreyImage image =
        RenderLineImage(QString::fromUtf8(sentence.data(), sentence.size()), *font, random);
    LineDraft line;
    line.charCount = label->charCount;
    line.label = label->bytes;
    line.top = top;
    line.left = kMarginLeft + random.Between(0, 24);
    line.height = image.height;
    line.width = image.width;
    line.pixels = std::move(image.pixels);
    top += line.height + random.Between(6, 14);
    right = std::max(right, line.left + line.width);
    page.lines.push_back(std::move(line));
  }
  page.pageWidth = std::max(kPageWidth, right + kMarginRight);
  page.pageHeight = std::max(kPageHeight, top + kMarginBottom);
  return page;
}
