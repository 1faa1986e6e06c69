#pragma once

#include <cstdint>
#include <optional>
#include <string>

// PNG file bytes of an 8-bit grey image: `height` rows of `width` bytes, top row first, no row
// padding; byte v is grey level v. Returns nothing when the image is empty or too large to
// encode. The command-line tool's one PNG encoder for grey images.
std::optional<std::string> EncodeGreyPng(const std::uint8_t* pixels, std::int32_t width,
                                         std::int32_t height);
