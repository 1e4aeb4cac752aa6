#include "shortcut/filter_shortcut.h"

namespace vizmark {

std::atomic<uint16_t> g_filter_shortcut{0};

namespace {

constexpr struct {
  uint16_t key;
  const char* name;
} kKeyNames[] = {
    {8, "BkSp"},    {9, "Tab"},     {13, "Enter"},  {27, "Esc"},      {32, "Space"},
    {33, "PgUp"},   {34, "PgDn"},   {35, "End"},    {36, "Home"},     {37, "Left"},
    {38, "Up"},     {39, "Right"},  {40, "Down"},   {45, "Ins"},      {46, "Del"},
    {106, "Num *"}, {107, "Num +"}, {109, "Num -"}, {110, "Num Del"}, {111, "Num /"},
};

// The keys the table above named before it had the keypad's: earlier versions wrote every
// other key with the layout's name of its scan code, extended-key prefix or not.
constexpr uint16_t kFirstKeypadOperator = 106;

// The highest key code a name is looked for: every virtual key is below it.
constexpr uint16_t kLastNamedKey = 255;
// Below it, mouse buttons and Break (on Scroll Lock's scan code): never read by the layout's name.
constexpr uint16_t kFirstReadKey = 8;

// Our form for a key whose layout name would read back as another key: "VK 0xBF".
constexpr std::string_view kCodePrefix = "VK 0x";
constexpr char kHexDigits[] = "0123456789ABCDEF";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

bool StripPrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !EqualIgnoringCase(text.substr(0, prefix.size()), prefix))
    return false;
  text.remove_prefix(prefix.size());
  return true;
}

bool IsDigitOrLetter(uint16_t key) {
  return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}
bool IsKeypadDigit(uint16_t key) { return key >= 96 && key <= 105; }
bool IsFunctionKey(uint16_t key) { return key >= 112 && key <= 135; }

// Our own name of a key, the same on every layout; "" for a key the layout names.
std::string OwnName(uint16_t key) {
  for (const auto& entry : kKeyNames)
    if (entry.key == key) return entry.name;
  if (IsDigitOrLetter(key)) return std::string(1, static_cast<char>(key));
  if (IsKeypadDigit(key)) {
    std::string name = "Num ";
    name += static_cast<char>('0' + key - 96);
    return name;
  }
  if (IsFunctionKey(key)) {
    std::string name = "F";
    name += std::to_string(key - 111);
    return name;
  }
  return {};
}

// Whether earlier versions wrote the key with a name of our own (keypad digits as the
// main row's): the others they wrote with the layout's name without the extended-key prefix.
bool HadOwnName(uint16_t key) {
  if (IsDigitOrLetter(key) || IsKeypadDigit(key) || IsFunctionKey(key)) return true;
  for (const auto& entry : kKeyNames)
    if (entry.key == key) return key < kFirstKeypadOperator;
  return false;
}

std::string CodeForm(uint16_t key) {
  std::string name(kCodePrefix);
  name += kHexDigits[(key >> 4) & 0xF];
  name += kHexDigits[key & 0xF];
  return name;
}

int HexValue(char c) {
  for (int i = 0; i < 16; ++i)
    if (kHexDigits[i] == Upper(c)) return i;
  return -1;
}

// Whether a key without a name of our own has any name in the layout: the keys that may be
// written in the code form.
bool LayoutNamesKey(uint16_t key, const LayoutKeyName& layout) {
  return layout && OwnName(key).empty() &&
         !(layout(key, IsExtendedKey(key)).empty() && layout(key, false).empty());
}

// The key of "VK 0xBF", where the key may be written so; 0 for anything else.
uint16_t KeyOfCodeForm(std::string_view name, const LayoutKeyName& layout) {
  if (!StripPrefix(name, kCodePrefix) || name.size() != 2) return 0;
  const int high = HexValue(name[0]), low = HexValue(name[1]);
  if (high < 0 || low < 0) return 0;
  const auto key = static_cast<uint16_t>(high * 16 + low);
  return key != 0 && LayoutNamesKey(key, layout) ? key : 0;
}

uint16_t KeyOfName(std::string_view name, const LayoutKeyName& layout) {
  for (uint16_t key = kFirstReadKey; key <= kLastNamedKey; ++key) {
    const std::string own = OwnName(key);
    if (!own.empty() && EqualIgnoringCase(own, name)) return key;
  }
  if (!layout) return 0;
  if (const uint16_t key = KeyOfCodeForm(name, layout)) return key;
  for (uint16_t key = kFirstReadKey; key <= kLastNamedKey; ++key) {
    if (!OwnName(key).empty()) continue;
    const std::string layout_name = layout(key, IsExtendedKey(key));
    if (!layout_name.empty() && EqualIgnoringCase(layout_name, name)) return key;
  }
  // As earlier versions wrote names: the first key of the name, prefix or not.
  for (uint16_t key = kFirstReadKey; key <= kLastNamedKey; ++key) {
    if (HadOwnName(key)) continue;
    const std::string layout_name = layout(key, false);
    if (!layout_name.empty() && EqualIgnoringCase(layout_name, name)) return key;
  }
  return 0;
}

}  // namespace

bool IsExtendedKey(uint16_t key) {
  switch (key) {
    case 3:    // Break (Ctrl+Pause)
    case 44:   // Print Screen
    case 45:   // Insert
    case 46:   // Delete
    case 91:   // left Windows
    case 92:   // right Windows
    case 93:   // Application
    case 95:   // Sleep
    case 111:  // Num /
    case 144:  // Num Lock
    case 163:  // right Ctrl
    case 165:  // right Alt
      return true;
    default:
      // Page Up to Down, and the browser, volume, media and launch keys.
      return (key >= 33 && key <= 40) || (key >= 166 && key <= 183);
  }
}

std::string KeyName(uint16_t key, const LayoutKeyName& layout) {
  if (key == 0 || key > kLastNamedKey) return {};
  std::string name = OwnName(key);
  if (!name.empty() || !layout) return name;
  name = layout(key, IsExtendedKey(key));
  if (!name.empty() && KeyOfName(name, layout) == key) return name;
  // A name that reads back as another key, or none but the one without the prefix.
  return LayoutNamesKey(key, layout) ? CodeForm(key) : std::string();
}

std::string ShortcutToText(uint16_t shortcut, const LayoutKeyName& layout) {
  if (shortcut == 0) return {};
  const std::string name = KeyName(shortcut & kShortcutKeyMask, layout);
  if (name.empty()) return {};
  std::string text;
  if (shortcut & kShortcutShift) text += "Shift+";
  if (shortcut & kShortcutCtrl) text += "Ctrl+";
  if (shortcut & kShortcutAlt) text += "Alt+";
  text += name;
  return text;
}

uint16_t TextToShortcut(std::string_view text, const LayoutKeyName& layout) {
  uint16_t modifiers = 0;
  for (bool stripped = true; stripped;) {
    stripped = true;
    if (StripPrefix(text, "Shift+")) {
      modifiers |= kShortcutShift;
    } else if (StripPrefix(text, "^") || StripPrefix(text, "Ctrl+")) {
      modifiers |= kShortcutCtrl;
    } else if (StripPrefix(text, "Alt+")) {
      modifiers |= kShortcutAlt;
    } else {
      stripped = false;
    }
  }
  if (text.empty()) return 0;
  const uint16_t key = KeyOfName(text, layout);
  return key == 0 ? 0 : static_cast<uint16_t>(key | modifiers);
}

}  // namespace vizmark
