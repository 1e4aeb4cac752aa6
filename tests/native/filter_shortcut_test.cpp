#include "shortcut/filter_shortcut.h"

#include <gtest/gtest.h>

#include "shortcut/key_events.h"

namespace vizmark {
namespace {

// A stand-in for the keyboard layout that names keys by their scan codes, as Windows' US
// layout does: keys that share a scan code share the name without the extended-key prefix
// ("/" for the main slash and Num /, "Num *" for Num * and Print Screen, "Num 7" for keypad
// 7 and Home, "Pause" for Pause and Num Lock). It also gives "=" to two keys, as Wine does.
std::string Layout(uint16_t key, bool extended) {
  const struct {
    uint16_t keys[2];
    const char* name;
    const char* extended_name;
  } kScanCodes[] = {
      {{191, 111}, "/", "Num /"},
      {{106, 44}, "Num *", "Prnt Scrn"},
      {{103, 36}, "Num 7", "Home"},
      {{96, 45}, "Num 0", "Insert"},
      {{110, 46}, "Num Del", "Delete"},
      {{34, 99}, "Num 3", "Page Down"},
      {{37, 100}, "Num 4", "Left"},
      {{19, 144}, "Pause", "Num Lock"},
      {{17, 163}, "Ctrl", "Right Ctrl"},
      {{91}, "", "Left Windows"},
      {{93}, "Apps", "Application"},
      {{186}, "SEMICOLON", "SEMICOLON"},
      {{146}, "=", ""},
      {{187}, "=", "="},
      {{3}, "Scroll Lock", ""},  // Break: only its extended name is its own
      {{145}, "Scroll Lock", ""},
  };
  for (const auto& code : kScanCodes)
    if (code.keys[0] == key || code.keys[1] == key)
      return extended ? code.extended_name : code.name;
  return {};
}

TEST(ShortcutText, WritesModifiersInOrderThenTheKeysName) {
  const std::pair<uint16_t, const char*> cases[] = {
      {0xE046, "Shift+Ctrl+Alt+F"},
      {0x4070, "Ctrl+F1"},
      {0x4000 | 135, "Ctrl+F24"},
      {0x8000 | 101, "Alt+Num 5"},
      {0x8000 | 53, "Alt+5"},
      {0x2000 | 46, "Shift+Del"},
      {13, "Enter"},
      {0x4000 | 186, "Ctrl+SEMICOLON"},
      {0x4000 | 191, "Ctrl+/"},
      {0x4000 | 111, "Ctrl+Num /"},
      {0x4000 | 106, "Ctrl+Num *"},
      {0x4000 | 44, "Ctrl+Prnt Scrn"},  // the layout's name with the extended-key prefix
      {0x4000 | 144, "Ctrl+Num Lock"},
      {0x4000 | 19, "Ctrl+Pause"},
      {0x4000 | 91, "Ctrl+Left Windows"},
      {0x4000 | 146, "Ctrl+="},
      {0x4000 | 187, "Ctrl+VK 0xBB"},  // "=" reads back as the other key
      {0x4000 | 3, "Ctrl+VK 0x03"},    // named only without the prefix
      {0, ""},
      {0xE000, ""},        // modifiers alone name no key
      {0x4000 | 7, ""},    // a key without a name
      {0x4000 | 300, ""},  // beyond every virtual key
  };
  for (const auto& [shortcut, text] : cases)
    EXPECT_EQ(ShortcutToText(shortcut, Layout), text) << std::hex << shortcut;
}

TEST(ShortcutText, ReadsPrefixesInAnyOrderAndCase) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"Shift+Ctrl+Alt+F", 0xE046},
      {"alt+ctrl+shift+f", 0xE046},
      {"^Alt+Shift+F", 0xE046},
      {"Ctrl+Ctrl+^F1", 0x4070},
      {"ctrl+5", 0x4000 | '5'},  // the main-row digit, as earlier versions wrote keypad ones
      {"ctrl+num 5", 0x4000 | 101},
      {"Ctrl+", 0},
      {"Ctrl+Nothing", 0},
      {"", 0},
      {"F25", 0},
      {"pgdn", 34},
      {"ctrl+semicolon", 0x4000 | 186},
      {"Shift+ F", 0},
      {"vk 0xbb", 187},
      {"VK 0x07", 0},  // a key without a name
      {"VK 0x41", 0},  // A has a name of its own
      {"VK 0xBBB", 0},
      {"Ctrl+Prnt Scrn", 0x4000 | 44},
      {"Ctrl+Num Lock", 0x4000 | 144},
      {"Ctrl+Pause", 0x4000 | 19},  // the first key of the name
      {"Ctrl+Scroll Lock", 0x4000 | 145},
      {"Ctrl+Ctrl", 0x4000 | 17},
      {"Ctrl+Apps", 0x4000 | 93},  // the name without the prefix, as earlier versions wrote it
  };
  for (const auto& [text, shortcut] : cases)
    EXPECT_EQ(TextToShortcut(text, Layout), shortcut) << text;
}

TEST(ShortcutText, EveryNamedKeyReadsBackAsItself) {
  for (uint16_t key = 1; key < 256; ++key) {
    for (uint16_t modifiers : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
      const uint16_t shortcut = key | modifiers;
      const std::string text = ShortcutToText(shortcut, Layout);
      if (text.empty()) continue;
      EXPECT_EQ(TextToShortcut(text, Layout), shortcut) << text;
    }
  }
}

TEST(ShortcutKeys, CtrlFirstAndLastWhateverTheBits) {
  using E = KeyEvent;
  EXPECT_EQ(ShortcutKeyEvents(0xE046), (std::vector<E>{{17, false},
                                                       {16, false},
                                                       {18, false},
                                                       {70, false},
                                                       {70, true},
                                                       {18, true},
                                                       {16, true},
                                                       {17, true}}));
  EXPECT_EQ(ShortcutKeyEvents(0x4070),
            (std::vector<E>{{17, false}, {112, false}, {112, true}, {17, true}}));
  EXPECT_EQ(ShortcutKeyEvents(0xA000),
            (std::vector<E>{{16, false}, {18, false}, {18, true}, {16, true}}));
  EXPECT_EQ(ShortcutKeyEvents(0), std::vector<E>{});
}

TEST(ShortcutKeys, ExtendedKeysAreSentAsSuch) {
  const std::pair<uint16_t, bool> cases[] = {
      {111, true}, {191, false}, {45, true},  {96, false},  {36, true},  {103, false},
      {34, true},  {37, true},   {44, true},  {106, false}, {144, true}, {19, false},
      {46, true},  {110, false}, {13, false}, {70, false},
  };
  for (const auto& [key, extended] : cases) {
    const std::vector<KeyEvent> events = ShortcutKeyEvents(0x4000 | key);
    ASSERT_EQ(events.size(), 4u) << key;
    const auto k = static_cast<uint8_t>(key);
    EXPECT_EQ(events[1], (KeyEvent{k, false, extended})) << key;
    EXPECT_EQ(events[2], (KeyEvent{k, true, extended})) << key;
    EXPECT_FALSE(events[0].extended || events[3].extended) << key;
  }
}

}  // namespace
}  // namespace vizmark
