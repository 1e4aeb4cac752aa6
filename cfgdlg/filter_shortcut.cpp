#include "cfgdlg/filter_shortcut.h"

namespace vizmark {

std::atomic<uint16_t> FilterShortCut{0};

namespace {

constexpr struct {
  uint16_t key;
  const char* name;
} kKeyNames[] = {
    {8, "BkSp"},  {9, "Tab"},    {13, "Enter"}, {27, "Esc"},  {32, "Space"},
    {33, "PgUp"}, {34, "PgDn"},  {35, "End"},   {36, "Home"}, {37, "Left"},
    {38, "Up"},   {39, "Right"}, {40, "Down"},  {45, "Ins"},  {46, "Del"},
};

// The highest key code a name is looked for: every virtual key is below it.
constexpr uint16_t kLastNamedKey = 255;

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

}  // namespace

std::string KeyName(uint16_t key, const LayoutKeyName& layout) {
  for (const auto& entry : kKeyNames)
    if (entry.key == key) return entry.name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  if (key >= 96 && key <= 105) return std::string(1, static_cast<char>('0' + key - 96));
  if (key >= 112 && key <= 135) {
    std::string name = "F";
    name += std::to_string(key - 111);
    return name;
  }
  if (key > kLastNamedKey || !layout) return {};
  return layout(key);
}

std::string ShortCutToText(uint16_t shortcut, const LayoutKeyName& layout) {
  if (shortcut == 0) return {};
  const std::string name = KeyName(shortcut & kShortCutKeyMask, layout);
  if (name.empty()) return {};
  std::string text;
  if (shortcut & kShortCutShift) text += "Shift+";
  if (shortcut & kShortCutCtrl) text += "Ctrl+";
  if (shortcut & kShortCutAlt) text += "Alt+";
  text += name;
  return text;
}

uint16_t TextToShortCut(std::string_view text, const LayoutKeyName& layout) {
  uint16_t modifiers = 0;
  for (bool stripped = true; stripped;) {
    stripped = true;
    if (StripPrefix(text, "Shift+")) {
      modifiers |= kShortCutShift;
    } else if (StripPrefix(text, "^") || StripPrefix(text, "Ctrl+")) {
      modifiers |= kShortCutCtrl;
    } else if (StripPrefix(text, "Alt+")) {
      modifiers |= kShortCutAlt;
    } else {
      stripped = false;
    }
  }
  if (text.empty()) return 0;
  for (uint16_t key = 8; key <= kLastNamedKey; ++key) {
    const std::string name = KeyName(key, layout);
    if (!name.empty() && EqualIgnoringCase(name, text))
      return static_cast<uint16_t>(key | modifiers);
  }
  return 0;
}

}  // namespace vizmark
