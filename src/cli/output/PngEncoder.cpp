#include "cli/output/PngEncoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

std::optional<std::string> EncodePng(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (image.isNull() || !writer.write(image)) return std::nullopt;
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<std::string> EncodeGreyPng(const std::uint8_t* pixels, std::int32_t width,
                                         std::int32_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  // Read in place rather than copied, so a line image is never held twice.
  const QImage image(pixels, width, height, width, QImage::Format_Grayscale8);
  return EncodePng(image);  // a null image (beyond what an image can hold) gives nothing
}
