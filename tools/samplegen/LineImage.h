#pragma once

#include <QFont>
#include <QString>
#include <cstdint>
#include <string>

#include "samplegen/SampleRandom.h"

// One line image in page-file form: `height` rows of `width` grey bytes, top row first,
// no row padding; 0 is black ink, 255 white paper.
struct GreyImage {
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::string pixels;
};

// Renders `text` in black on white with `font` and roughens it like a scanned line: a small
// offset and tilt, a light blur, uneven ink and paper grain. Needs a running QGuiApplication.
// The same `random` state gives the same image.
GreyImage RenderLineImage(const QString& text, const QFont& font, SampleRandom& random);
