// FilterShortCut, the plug-in's one setting: the keyboard shortcut that starts the user's
// read-mail filter, and its text form (as stored, e.g. "Shift+Ctrl+Alt+F").
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vizmark {

// Bits 0-12 the virtual-key code, then Shift, Ctrl and Alt; 0 for none. Written by the
// dialog and at start-up, read by the replay on any thread.
extern std::atomic<uint16_t> FilterShortCut;

inline constexpr uint16_t kShortCutKeyMask = 0x1FFF;
inline constexpr uint16_t kShortCutShift = 0x2000;
inline constexpr uint16_t kShortCutCtrl = 0x4000;
inline constexpr uint16_t kShortCutAlt = 0x8000;

// The keyboard layout's own name for a virtual key outside our names table, or "" for none.
using LayoutKeyName = std::function<std::string(uint16_t virtual_key)>;

// The name of a key: our table (BkSp, Tab, Enter, Esc, Space, PgUp, PgDn, End, Home, Left,
// Up, Right, Down, Ins, Del, digits, letters, keypad digits as digits, F1 to F24), else
// the layout's.
std::string KeyName(uint16_t virtual_key, const LayoutKeyName& layout);

// "Shift+Ctrl+Alt+F" for 0xE046; "" for 0 and for a key without a name.
std::string ShortCutToText(uint16_t shortcut, const LayoutKeyName& layout);

// Reads a text back: any number of "Shift+", "Ctrl+", "^" and "Alt+" in any order and
// case, then a key name (any case). 0 when nothing names a key.
uint16_t TextToShortCut(std::string_view text, const LayoutKeyName& layout);

}  // namespace vizmark
