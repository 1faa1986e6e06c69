#pragma once

#include <cstdint>
#include <span>

#include "platform/framework/CommandIds.h"

// Layouts of the program's resources: menus, accelerator tables, toolbars, dialog templates
// and strings. The program's data lives in src/resources; the framework looks it up by id
// through the functions at the end of this header.

enum class MenuItemKind : std::uint8_t { kCommand, kSeparator, kGrayed };

struct MenuItem {
  MenuItemKind kind;
  const wchar_t* text;  // '&' marks the mnemonic; a tab separates the shortcut text
  UINT id;
};

struct MenuPopup {
  const wchar_t* text;
  std::span<const MenuItem> items;
};

struct MenuResource {
  UINT id;
  std::span<const MenuPopup> popups;
};

// Accelerator flags and virtual keys: every entry names a virtual key.
inline constexpr std::uint8_t FVIRTKEY = 0x01;
inline constexpr std::uint8_t FSHIFT = 0x04;
inline constexpr std::uint8_t FCONTROL = 0x08;
inline constexpr std::uint8_t FALT = 0x10;

inline constexpr std::uint16_t VK_BACK = 0x08;
inline constexpr std::uint16_t VK_INSERT = 0x2D;
inline constexpr std::uint16_t VK_DELETE = 0x2E;
inline constexpr std::uint16_t VK_F6 = 0x75;
// Letter keys are their upper-case character codes, 'A' to 'Z'.

struct ACCEL {
  std::uint8_t fVirt;
  std::uint16_t key;
  std::uint16_t cmd;
};

struct AcceleratorResource {
  UINT id;
  std::span<const ACCEL> entries;
};

// Toolbar buttons in order; ID_SEPARATOR marks a gap. Button images are buttonWidth x
// buttonHeight pixels, one per non-separator entry, in a strip from the bitmap of the same id.
struct ToolBarResource {
  UINT id;
  int buttonWidth;
  int buttonHeight;
  std::span<const UINT> buttons;
};

enum class DialogItemKind : std::uint8_t { kIcon, kStaticText, kDefaultPushButton };

// Positions and sizes are dialog units: a quarter of the dialog font's average character
// width horizontally, an eighth of its character height vertically.
struct DialogItem {
  DialogItemKind kind;
  UINT id;
  int x, y, cx, cy;
  const wchar_t* text;  // for an icon: unused (iconId names the image)
  UINT iconId;
};

struct DialogResource {
  UINT id;
  int cx, cy;
  const wchar_t* caption;
  const wchar_t* fontFace;
  int fontPoints;
  std::span<const DialogItem> items;
};

struct StringResource {
  UINT id;
  const wchar_t* text;
};

// Lookups; null when the program has no resource of that id.
const MenuResource* FindMenuResource(UINT id);
const AcceleratorResource* FindAcceleratorResource(UINT id);
const ToolBarResource* FindToolBarResource(UINT id);
const DialogResource* FindDialogResource(UINT id);
// The string of that id, or null.
const wchar_t* FindStringResource(UINT id);
// The language the strings are written in, as a locale name ("zh_CN").
const char* ResourceLanguage();

// The entry of `table` whose `id` is `id`, or null; resource tables are small.
template <typename Resource>
const Resource* FindResourceById(std::span<const Resource> table, UINT id) {
  for (const Resource& entry : table) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

// Whether every entry of `table` has an id of its own; a second entry under one id would never
// be found. Meant for static_assert beside each table.
template <typename Resource>
constexpr bool ResourceIdsAreUnique(std::span<const Resource> table) {
  for (std::size_t first = 0; first < table.size(); ++first) {
    for (std::size_t second = first + 1; second < table.size(); ++second) {
      if (table[first].id == table[second].id) return false;
    }
  }
  return true;
}
