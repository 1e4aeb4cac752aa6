// FilterShortCut in the registry: HKCU\Software\RIT\The Bat!\Vizmark, "Filter ShortCut",
// a string in the text form. Read once at start-up, written at every shut-down.
#pragma once

#include <string>

namespace vizmark {

inline constexpr char kSettingsKey[] = "Software\\RIT\\The Bat!\\Vizmark";
inline constexpr char kShortCutValue[] = "Filter ShortCut";

// Sets FilterShortCut from the stored value: 0 when there is none, or when it is no string
// or no shortcut. The key is made when missing.
void LoadFilterShortCut();
// Stores FilterShortCut's text form ("" for none). Failures are silently skipped.
void SaveFilterShortCut();

// The keyboard layout's name of a key (through its scan code), or "" for none.
std::string LayoutKeyNameOf(unsigned short virtual_key);

}  // namespace vizmark
