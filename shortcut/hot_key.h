// A shortcut in the form the system's hot-key control reports and takes: the virtual key in
// the low byte, and in the high byte Shift, Ctrl, Alt and the extended-key flag.
#pragma once

#include <cstdint>

namespace vizmark {

// The high byte's flags (the control's HOTKEYF_SHIFT, _CONTROL, _ALT and _EXT).
inline constexpr uint8_t kHotKeyShift = 0x01;
inline constexpr uint8_t kHotKeyCtrl = 0x02;
inline constexpr uint8_t kHotKeyAlt = 0x04;
inline constexpr uint8_t kHotKeyExtended = 0x08;

// The modifiers move to the shortcut's bits; the extended-key flag is dropped. 0 for no key.
uint16_t HotKeyToShortcut(uint16_t hot_key);

// The reverse, with the extended-key flag where the key has the prefix (IsExtendedKey), so
// that the control names the key and not the keypad's one on the same scan code.
uint16_t ShortcutToHotKey(uint16_t shortcut);

}  // namespace vizmark
