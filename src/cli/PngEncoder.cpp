#include "cli/PngEncoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <cstring>

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
  QImage image(width, height, QImage::Format_Grayscale8);
  if (image.isNull()) return std::nullopt;  // beyond what an image can hold
  const auto rowBytes = static_cast<std::size_t>(width);
  for (std::int32_t row = 0; row < height; ++row) {
    std::memcpy(image.scanLine(row), pixels + static_cast<std::size_t>(row) * rowBytes, rowBytes);
  }
  return EncodePng(image);
}
