#pragma once

#include <cstdint>
#include <memory>

#include "platform/system/LabelText.h"

// Font-creation constants with the drawing interface's names.
inline constexpr int FW_NORMAL = 400;
inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t OUT_DEFAULT_PRECIS = 0;
inline constexpr std::uint8_t CLIP_DEFAULT_PRECIS = 0;
inline constexpr std::uint8_t DEFAULT_QUALITY = 0;
inline constexpr std::uint8_t DEFAULT_PITCH = 0;
inline constexpr std::uint8_t FF_SWISS = 0x20;

// A text font for a CDC. Sizes are in device pixels (MM_TEXT). The face is made by the
// installed label text engine (LabelText.h); without one no font can be made.
class CFont {
 public:
  CFont();
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // Makes the font. `height` > 0 is the whole character cell (ascent + descent), < 0 the
  // character height without internal leading, 0 a default 16-pixel cell. The face is asked for
  // by name ("宋体" and "SimSun" by the installed Ming face "AR PL UMing CN", whose glyphs fill
  // the cell as theirs do); when it is not installed, and for glyphs it lacks, simplified-Chinese
  // serif and then sans faces stand in, so that labels in Chinese show. Width, escapement,
  // orientation, character set, precisions, quality and pitch are accepted and do not change the
  // result. Returns false when no font can be made (no label text engine or GUI application, or
  // no usable face); the CFont then stays empty.
  bool CreateFontW(int height, int width, int escapement, int orientation, int weight,
                   std::uint8_t italic, std::uint8_t underline, std::uint8_t strikeOut,
                   std::uint8_t charSet, std::uint8_t outPrecision, std::uint8_t clipPrecision,
                   std::uint8_t quality, std::uint8_t pitchAndFamily, const wchar_t* faceName);

  bool IsCreated() const { return font_ != nullptr; }
  // Height of the text cell that TextOut fills, in pixels; 0 before creation.
  int CellHeight() const { return font_ ? font_->CellHeight() : 0; }
  // Distance from the cell's top to the baseline, in pixels.
  int Ascent() const { return font_ ? font_->Ascent() : 0; }
  // The engine's font; nullptr before creation.
  const LabelFont* Font() const { return font_.get(); }

 private:
  std::unique_ptr<LabelFont> font_;
};
