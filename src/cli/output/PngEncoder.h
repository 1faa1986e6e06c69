#pragma once

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

// The command-line tool's one PNG encoder. Results are whole PNG files in memory.

// PNG bytes of `image`; nothing when it cannot be encoded.
std::optional<std::string> EncodePng(const QImage& image);

// PNG bytes of an 8-bit grey image: `height` rows of `width` bytes, top row first, no row
// padding; byte v is grey level v. Nothing when the image is empty or too large to encode.
std::optional<std::string> EncodeGreyPng(const std::uint8_t* pixels, std::int32_t width,
                                         std::int32_t height);
