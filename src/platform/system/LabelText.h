#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/canvas/Canvas.h"
#include "platform/canvas/StretchDIBits.h"

// The text machinery behind CFont and CDC's text calls, as a seam without Qt: faces, metrics
// and glyphs drawn onto a canvas. The engine on Qt Gui lives in platform/text; a program that
// links it installs it (the viewer, tests), and the command-line tool loads it as a module only
// when a picture draws labels, so commands that draw no text never load Qt at all. Without an
// installed engine no font can be made and no text drawn.

// A font as CFont::CreateFontW asks for it: `height` > 0 the whole cell, < 0 the character
// height without internal leading, 0 a default cell; `face` the face named (may be empty).
struct FontRequest {
  int height = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::wstring face;
};

// A face at a size, with its metrics in device pixels.
class LabelFont {
 public:
  virtual ~LabelFont() = default;
  // Height of the text cell TextOut fills.
  virtual int CellHeight() const = 0;
  // Distance from the cell's top to the baseline.
  virtual int Ascent() const = 0;
  // Advance width of `length` wide characters.
  virtual std::int64_t Advance(const wchar_t* text, int length) const = 0;
};

// What one TextOut draws, in canvas pixels: the cell (already cut to the clip) filled white,
// then the glyphs of `text` in `font` and `color` (0x00BBGGRR) with the cell's unclipped
// top-left corner at (left, top), scaled by `scale` about it, clipped to `clip`.
struct TextDrawing {
  Canvas* canvas = nullptr;
  PixelRect clip;
  PixelRect cell;
  std::int64_t left = 0;
  std::int64_t top = 0;
  float scale = 1.0f;
  std::uint32_t color = 0;
  const LabelFont* font = nullptr;
  const wchar_t* text = nullptr;
  int length = 0;
};

class LabelTextEngine {
 public:
  // Whether text can be made and drawn now (a toolkit engine needs its GUI application).
  virtual bool Ready() const = 0;
  // The font for `request` (the face, or faces standing in for it), nullptr when none can be
  // made.
  virtual std::unique_ptr<LabelFont> MakeFont(const FontRequest& request) = 0;
  // The face text is drawn in when no font is selected.
  virtual const LabelFont& DefaultFont() = 0;
  virtual void Draw(const TextDrawing& drawing) = 0;

 protected:
  ~LabelTextEngine() = default;
};

// Makes `engine` the one CFont and CDC use from now on (nullptr: none); it must outlive its use.
void InstallLabelText(LabelTextEngine* engine);
// The installed engine, nullptr when none.
LabelTextEngine* InstalledLabelText();

// The entry the label text module exports: it makes whatever its engine needs (a GUI
// application without windows) and returns the engine, or nullptr when it cannot. Messages the
// engine's toolkit means for the user (critical ones only) go to `report`, one call each.
using LabelTextModuleEntry = LabelTextEngine* (*)(void (*report)(const char* message));
inline constexpr char kLabelTextModuleEntry[] = "plimdisp_label_text_engine";
