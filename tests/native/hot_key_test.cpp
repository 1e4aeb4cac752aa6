#include "shortcut/hot_key.h"

#include <gtest/gtest.h>

namespace vizmark {
namespace {

constexpr uint16_t HotKey(uint8_t key, uint8_t modifiers) {
  return static_cast<uint16_t>(modifiers << 8 | key);
}

// Both ways where the form keeps everything; the extended-key flag exactly where the key has
// the prefix.
TEST(HotKey, ConvertsBothWays) {
  constexpr uint8_t kAll = kHotKeyShift | kHotKeyCtrl | kHotKeyAlt;
  const struct {
    uint16_t hot_key;
    uint16_t shortcut;
  } cases[] = {
      {0, 0},
      {HotKey('F', kAll), 0xE046},
      {HotKey(0x70, kHotKeyCtrl), 0x4070},                    // Ctrl+F1
      {HotKey('A', kHotKeyShift), 0x2041},                    //
      {HotKey('7', kHotKeyAlt), 0x8037},                      //
      {HotKey(0x67, kHotKeyCtrl), 0x4067},                    // keypad 7: no prefix
      {HotKey(0x24, kHotKeyCtrl | kHotKeyExtended), 0x4024},  // Home
      {HotKey(0x2D, kHotKeyCtrl | kHotKeyExtended), 0x402D},  // Insert
      {HotKey(0x6F, kHotKeyCtrl | kHotKeyExtended), 0x406F},  // Num /
      {HotKey(0x2E, kAll | kHotKeyExtended), 0xE02E},         // Delete
      {HotKey(0x25, kHotKeyExtended), 0x0025},                // Left alone
      {HotKey(0xBF, kHotKeyCtrl), 0x40BF},                    // the main "/"
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HotKeyToShortcut(c.hot_key), c.shortcut) << std::hex << c.hot_key;
    EXPECT_EQ(ShortcutToHotKey(c.shortcut), c.hot_key) << std::hex << c.shortcut;
  }
}

// What only one way sees: a flag the key does not need is dropped, and modifiers without a
// key are no shortcut.
TEST(HotKey, DropsWhatTheShortcutCannotHold) {
  const struct {
    uint16_t hot_key;
    uint16_t shortcut;
  } cases[] = {
      {HotKey('F', kHotKeyCtrl | kHotKeyExtended), 0x4046},
      {HotKey(0, kHotKeyCtrl | kHotKeyAlt), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(HotKeyToShortcut(c.hot_key), c.shortcut) << c.hot_key;
}

}  // namespace
}  // namespace vizmark
