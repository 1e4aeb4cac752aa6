#include "cfgdlg/filter_shortcut.h"

#include <gtest/gtest.h>

#include "facedraw/shortcut_replay.h"

namespace vizmark {
namespace {

// A stand-in for the keyboard layout: names two keys outside our own table.
std::string Layout(uint16_t key) {
  if (key == 186) return "SEMICOLON";
  if (key == 144) return "Num Lock";
  return {};
}

TEST(ShortCutText, WritesModifiersInOrderThenTheKeysName) {
  const std::pair<uint16_t, const char*> cases[] = {
      {0xE046, "Shift+Ctrl+Alt+F"},
      {0x4070, "Ctrl+F1"},
      {0x4000 | 135, "Ctrl+F24"},
      {0x8000 | 101, "Alt+5"},  // keypad 5 is written as the digit
      {0x2000 | 46, "Shift+Del"},
      {13, "Enter"},
      {0x4000 | 186, "Ctrl+SEMICOLON"},
      {0, ""},
      {0xE000, ""},        // modifiers alone name no key
      {0x4000 | 7, ""},    // a key without a name
      {0x4000 | 300, ""},  // beyond every virtual key
  };
  for (const auto& [shortcut, text] : cases)
    EXPECT_EQ(ShortCutToText(shortcut, Layout), text) << std::hex << shortcut;
}

TEST(ShortCutText, ReadsPrefixesInAnyOrderAndCase) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"Shift+Ctrl+Alt+F", 0xE046},
      {"alt+ctrl+shift+f", 0xE046},
      {"^Alt+Shift+F", 0xE046},
      {"Ctrl+Ctrl+^F1", 0x4070},
      {"ctrl+5", 0x4000 | '5'},  // the main-row digit, never the keypad's
      {"Ctrl+", 0},
      {"Ctrl+Nothing", 0},
      {"", 0},
      {"F25", 0},
      {"pgdn", 34},
      {"ctrl+semicolon", 0x4000 | 186},
      {"Shift+ F", 0},
  };
  for (const auto& [text, shortcut] : cases)
    EXPECT_EQ(TextToShortCut(text, Layout), shortcut) << text;
}

TEST(ShortCutText, EveryNamedKeyReadsBack) {
  for (uint16_t key = 1; key < 256; ++key) {
    for (uint16_t modifiers : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
      const uint16_t shortcut = key | modifiers;
      const std::string text = ShortCutToText(shortcut, Layout);
      if (text.empty()) continue;
      const uint16_t back = TextToShortCut(text, Layout);
      const uint16_t expected = (key >= 96 && key <= 105) ? ((key - 48) | modifiers) : shortcut;
      EXPECT_EQ(back, expected) << text;
    }
  }
}

TEST(ShortCutKeys, CtrlFirstAndLastWhateverTheBits) {
  using E = KeyEvent;
  EXPECT_EQ(ShortCutKeyEvents(0xE046), (std::vector<E>{{17, false},
                                                       {16, false},
                                                       {18, false},
                                                       {70, false},
                                                       {70, true},
                                                       {18, true},
                                                       {16, true},
                                                       {17, true}}));
  EXPECT_EQ(ShortCutKeyEvents(0x4070),
            (std::vector<E>{{17, false}, {112, false}, {112, true}, {17, true}}));
  EXPECT_EQ(ShortCutKeyEvents(0xA000),
            (std::vector<E>{{16, false}, {18, false}, {18, true}, {16, true}}));
  EXPECT_EQ(ShortCutKeyEvents(0), std::vector<E>{});
}

}  // namespace
}  // namespace vizmark
