#include "samplegen/LineImage.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace {

constexpr int kPadX = 8;  // paper left and right of the text, pixels
constexpr int kPadY = 3;  // paper above and below the text, pixels

// Copies the rows out of a Grayscale8 image, whose scan lines may be padded.
std::vector<int> GreyLevels(const QImage& image) {
  std::vector<int> levels;
  levels.reserve(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const uchar* row = image.constScanLine(y);
    levels.insert(levels.end(), row, row + image.width());
  }
  return levels;
}

// 3 x 3 binomial blur; edge pixels reuse their nearest neighbour.
std::vector<int> Blur(const std::vector<int>& levels, int width, int height) {
  static constexpr int kWeights[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
  std::vector<int> blurred(levels.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int sum = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int sy = std::clamp(y + dy, 0, height - 1);
          const int sx = std::clamp(x + dx, 0, width - 1);
          sum += kWeights[dy + 1][dx + 1] * levels[static_cast<std::size_t>(sy) * width + sx];
        }
      }
      blurred[static_cast<std::size_t>(y) * width + x] = sum / 16;
    }
  }
  return blurred;
}

}  // namespace

GreyImage RenderLineImage(const QString& text, const QFont& font, SampleRandom& random) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(text) + 2 * kPadX;
  const int height = metrics.height() + 2 * kPadY;

  QImage image(width, height, QImage::Format_Grayscale8);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    // Tilt about the centre by up to 0.3 degrees and shift by a pixel or two, as a scan would.
    painter.translate(width / 2.0, height / 2.0);
    painter.rotate(random.Between(-30, 30) / 100.0);
    painter.translate(-width / 2.0, -height / 2.0);
    const int x = kPadX + random.Between(-2, 2);
    const int baseline = kPadY + metrics.ascent() + random.Between(-2, 2);
    painter.drawText(x, baseline, text);
  }

  const std::vector<int> blurred = Blur(GreyLevels(image), width, height);
  // Ink never reaches pure black, and the paper carries a faint grain with the odd speck.
  const int ink = random.Between(12, 48);
  GreyImage line{height, width, std::string(blurred.size(), '\0')};
  for (std::size_t i = 0; i < blurred.size(); ++i) {
    int level = ink + blurred[i] * (255 - ink) / 255 - random.Between(0, 6);
    if (random.OneIn(1500)) level -= random.Between(60, 140);
    line.pixels[i] = static_cast<char>(std::clamp(level, 0, 255));
  }
  return line;
}
