#include "platform/system/CFont.h"

CFont::CFont() = default;
CFont::~CFont() = default;

bool CFont::CreateFontW(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                        int weight, std::uint8_t italic, std::uint8_t underline,
                        std::uint8_t strikeOut, std::uint8_t /*charSet*/,
                        std::uint8_t /*outPrecision*/, std::uint8_t /*clipPrecision*/,
                        std::uint8_t /*quality*/, std::uint8_t /*pitchAndFamily*/,
                        const wchar_t* faceName) {
  font_.reset();
  LabelTextEngine* engine = InstalledLabelText();
  if (engine == nullptr) return false;
  FontRequest request;
  request.height = height;
  request.weight = weight <= 0 ? FW_NORMAL : weight;
  request.italic = italic != 0;
  request.underline = underline != 0;
  request.strikeOut = strikeOut != 0;
  if (faceName != nullptr) request.face = faceName;
  font_ = engine->MakeFont(request);
  return font_ != nullptr;
}
