// g_filter_shortcut, the plug-in's one setting: the keyboard shortcut that starts the user's
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
extern std::atomic<uint16_t> g_filter_shortcut;

inline constexpr uint16_t kShortcutKeyMask = 0x1FFF;
inline constexpr uint16_t kShortcutShift = 0x2000;
inline constexpr uint16_t kShortcutCtrl = 0x4000;
inline constexpr uint16_t kShortcutAlt = 0x8000;

// Whether the key a virtual-key code stands for sends its scan code with the extended-key
// prefix (E0): Insert, Delete, Home, End, Page Up, Page Down and the arrows beside the
// keypad, Num /, Print Screen, Num Lock, Break, the right Ctrl and Alt, the Windows and
// Application keys, and the browser and media keys. Their scan codes are those of other
// keys (Home is keypad 7's), so this tells the keyboard layout which of the two is meant.
bool IsExtendedKey(uint16_t virtual_key);

// The keyboard layout's own name for the key on the scan code of a virtual key, with the
// extended-key prefix or without it; "" for none. Layouts give one name to keys that share a
// scan code (the keypad's "/" and the main one's, without the prefix), so a name may stand
// for more than one key.
using LayoutKeyName = std::function<std::string(uint16_t virtual_key, bool extended)>;

// The name a key is written with: our own (BkSp, Tab, Enter, Esc, Space, PgUp, PgDn, End,
// Home, Left, Up, Right, Down, Ins, Del, digits, letters, F1 to F24, and the keypad's
// "Num 0" to "Num 9", "Num *", "Num +", "Num -", "Num Del", "Num /"); else the layout's
// (extended where the key is), when that name reads back as this key; else "VK 0x" and the
// code in two hex digits. "" for a key the layout has no name for at all.
std::string KeyName(uint16_t virtual_key, const LayoutKeyName& layout);

// "Shift+Ctrl+Alt+F" for 0xE046; "" for 0 and for a key without a name. The text reads back
// as the same shortcut.
std::string ShortcutToText(uint16_t shortcut, const LayoutKeyName& layout);

// Reads a text back: any number of "Shift+", "Ctrl+", "^" and "Alt+" in any order and
// case, then a key name (any case). 0 when nothing names a key. A name is looked for first
// among our own, then among the layout's names of the other keys, then among the names the
// layout gives without the extended-key prefix, as earlier versions wrote them; where the
// layout gives one name to several keys, the lowest code among them is taken.
uint16_t TextToShortcut(std::string_view text, const LayoutKeyName& layout);

}  // namespace vizmark
