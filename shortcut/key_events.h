// The key presses and releases that type a shortcut.
#pragma once

#include <cstdint>
#include <vector>

namespace vizmark {

struct KeyEvent {
  uint8_t virtual_key;
  bool release;
  // Sent with the extended-key flag: the key, not the keypad's one of the same scan code.
  bool extended = false;
  bool operator==(const KeyEvent&) const = default;
};

// The presses and releases that type `shortcut`: Ctrl, Shift, Alt (those it has), the key
// (extended where IsExtendedKey says), then the releases in reverse order. Nothing for 0.
std::vector<KeyEvent> ShortcutKeyEvents(uint16_t shortcut);

}  // namespace vizmark
