// The settings in the registry, HKCU\Software\RIT\The Bat!\Vizmark: g_filter_shortcut as
// "Filter ShortCut", a string in the text form, and g_show_colour_faces as "Show Face", a
// DWORD 1 or 0. Read once at start-up, written at every shut-down, both on the host's main
// thread.
#pragma once

#include <atomic>
#include <string>

namespace vizmark {

inline constexpr char kSettingsKey[] = "Software\\RIT\\The Bat!\\Vizmark";
inline constexpr char kShortcutValue[] = "Filter ShortCut";
inline constexpr char kShowFaceValue[] = "Show Face";

// Whether a message's colour "Face" header is shown rather than its "X-Face".
extern std::atomic<bool> g_show_colour_faces;

// Sets g_filter_shortcut from the stored value: 0 when it is no string or no shortcut. The key
// is made when missing. The text read is kept for SaveFilterShortcut.
void LoadFilterShortcut();
// Stores g_filter_shortcut's text form ("" for none); while g_filter_shortcut is still what the
// last LoadFilterShortcut read, the text it read instead, so that a text this layout cannot
// read (written under another) survives. Failures are silently skipped.
void SaveFilterShortcut();

// Sets g_show_colour_faces from the stored value: off for the DWORD 0, on for 1, and on when
// the value is missing or anything else.
void LoadShowColourFaces();
// Stores g_show_colour_faces as the DWORD 1 or 0. Failures are silently skipped.
void SaveShowColourFaces();

// The keyboard layout's name of the key on a virtual key's scan code, with the extended-key
// prefix or without it, or "" for none.
std::string LayoutKeyNameOf(unsigned short virtual_key, bool extended);

}  // namespace vizmark
