// g_filter_shortcut in the registry: HKCU\Software\RIT\The Bat!\Vizmark, "Filter ShortCut",
// a string in the text form. Read once at start-up, written at every shut-down, both on the
// host's main thread.
#pragma once

#include <string>

namespace vizmark {

inline constexpr char kSettingsKey[] = "Software\\RIT\\The Bat!\\Vizmark";
inline constexpr char kShortcutValue[] = "Filter ShortCut";

// Sets g_filter_shortcut from the stored value: 0 when it is no string or no shortcut. The key
// is made when missing. The text read is kept for SaveFilterShortcut.
void LoadFilterShortcut();
// Stores g_filter_shortcut's text form ("" for none); while g_filter_shortcut is still what the
// last LoadFilterShortcut read, the text it read instead, so that a text this layout cannot
// read (written under another) survives. Failures are silently skipped.
void SaveFilterShortcut();

// The keyboard layout's name of the key on a virtual key's scan code, with the extended-key
// prefix or without it, or "" for none.
std::string LayoutKeyNameOf(unsigned short virtual_key, bool extended);

}  // namespace vizmark
