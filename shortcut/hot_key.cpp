#include "shortcut/hot_key.h"

#include "shortcut/filter_shortcut.h"

namespace vizmark {

uint16_t HotKeyToShortcut(uint16_t hot_key) {
  const unsigned modifiers = hot_key >> 8;
  uint16_t shortcut = hot_key & 0xFF;
  if (shortcut == 0) return 0;
  if (modifiers & kHotKeyShift) shortcut |= kShortcutShift;
  if (modifiers & kHotKeyCtrl) shortcut |= kShortcutCtrl;
  if (modifiers & kHotKeyAlt) shortcut |= kShortcutAlt;
  // The extended-key flag tells apart only keys of one virtual-key code (Insert and the
  // keypad's 0 with Num Lock off are both VK_INSERT), which the host does not tell apart
  // either: the code alone is the shortcut.
  return shortcut;
}

uint16_t ShortcutToHotKey(uint16_t shortcut) {
  unsigned modifiers = 0;
  if (shortcut & kShortcutShift) modifiers |= kHotKeyShift;
  if (shortcut & kShortcutCtrl) modifiers |= kHotKeyCtrl;
  if (shortcut & kShortcutAlt) modifiers |= kHotKeyAlt;
  // The control names the key through its scan code: without the flag, Insert would show as
  // the keypad's 0 and Num / as the main "/".
  if (IsExtendedKey(shortcut & kShortcutKeyMask)) modifiers |= kHotKeyExtended;
  return static_cast<uint16_t>((modifiers << 8) | (shortcut & 0xFF));
}

}  // namespace vizmark
