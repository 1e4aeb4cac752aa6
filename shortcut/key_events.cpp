#include "shortcut/key_events.h"

#include "shortcut/filter_shortcut.h"

namespace vizmark {

std::vector<KeyEvent> ShortcutKeyEvents(uint16_t shortcut) {
  constexpr uint8_t kShift = 16, kCtrl = 17, kAlt = 18;
  const auto key = static_cast<uint8_t>(shortcut & kShortcutKeyMask & 0xFF);
  const bool extended = IsExtendedKey(key);
  const bool shift = shortcut & kShortcutShift, ctrl = shortcut & kShortcutCtrl,
             alt = shortcut & kShortcutAlt, has_key = (shortcut & kShortcutKeyMask) != 0;
  std::vector<KeyEvent> events;
  if (ctrl) events.push_back({kCtrl, false});
  if (shift) events.push_back({kShift, false});
  if (alt) events.push_back({kAlt, false});
  if (has_key) {
    events.push_back({key, false, extended});
    events.push_back({key, true, extended});
  }
  if (alt) events.push_back({kAlt, true});
  if (shift) events.push_back({kShift, true});
  if (ctrl) events.push_back({kCtrl, true});
  return events;
}

}  // namespace vizmark
