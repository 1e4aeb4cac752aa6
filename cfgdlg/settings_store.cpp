#include "cfgdlg/settings_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/trace.h"
#include "base/win_handles.h"
#include "shortcut/filter_shortcut.h"

namespace vizmark {

namespace {

// A stored shortcut is a few dozen characters; anything longer is no shortcut.
constexpr DWORD kMaxValueBytes = 256;

// The key, made if missing, opened for no more than `access`: a key that an administrator
// left readable only still gives its shortcut.
UniqueHkey OpenSettingsKey(REGSAM access, const wchar_t* failure) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    Trace(failure);
    return nullptr;
  }
  return UniqueHkey(key);
}

// The value as text; false when it is missing, of another type, too long or unterminated.
bool ReadStringValue(HKEY key, std::string& text) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, kShortcutValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxValueBytes) return false;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key, kShortcutValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxValueBytes)
    return false;
  // A string without its terminating zero is no stored shortcut.
  const auto end = buffer.begin() + size;
  const auto terminator = std::find(buffer.begin(), end, '\0');
  if (terminator == end) return false;
  text.assign(buffer.begin(), terminator);
  return true;
}

// What the last LoadFilterShortcut read: the text and the shortcut it gave.
struct LoadedText {
  bool valid = false;
  std::string text;
  uint16_t shortcut = 0;
};
LoadedText g_loaded;

}  // namespace

std::atomic<bool> g_show_colour_faces{true};

std::string LayoutKeyNameOf(unsigned short virtual_key, bool extended) {
  const UINT scan_code = MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC) & 0xFF;
  if (scan_code == 0) return {};
  // The scan code in bits 16-23 of a key message's lParam, bit 24 for the extended-key prefix.
  const LONG key_data = static_cast<LONG>((scan_code << 16) | (extended ? 1u << 24 : 0u));
  char name[64] = {};
  const int length = GetKeyNameTextA(key_data, name, sizeof name);
  return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

void LoadFilterShortcut() {
  g_loaded = {};
  UniqueHkey key = OpenSettingsKey(KEY_QUERY_VALUE,
                                   L"the settings key could not be opened to read the shortcut");
  if (!key) return;
  std::string text;
  if (!ReadStringValue(key.get(), text)) {
    // A value that is there but cannot be read as a string counts as no shortcut.
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), kShortcutValue, nullptr, &type, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      Trace(L"the stored shortcut is no text: no shortcut");
      g_filter_shortcut = 0;
    }
    return;
  }
  const uint16_t shortcut = TextToShortcut(text, &LayoutKeyNameOf);
  g_filter_shortcut = shortcut;
  g_loaded = {true, std::move(text), shortcut};
}

void SaveFilterShortcut() {
  UniqueHkey key =
      OpenSettingsKey(KEY_SET_VALUE, L"the settings key could not be opened to save the shortcut");
  if (!key) return;
  const uint16_t shortcut = g_filter_shortcut.load();
  const std::string text = g_loaded.valid && g_loaded.shortcut == shortcut
                               ? g_loaded.text
                               : ShortcutToText(shortcut, &LayoutKeyNameOf);
  if (RegSetValueExA(key.get(), kShortcutValue, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
    Trace(L"the shortcut could not be saved");
}

void LoadShowColourFaces() {
  g_show_colour_faces = true;
  UniqueHkey key = OpenSettingsKey(
      KEY_QUERY_VALUE, L"the settings key could not be opened to read whether colour faces show");
  if (!key) return;
  DWORD type = 0, value = 0, size = sizeof value;
  const LSTATUS read = RegQueryValueExA(key.get(), kShowFaceValue, nullptr, &type,
                                        reinterpret_cast<BYTE*>(&value), &size);
  if (read == ERROR_FILE_NOT_FOUND) return;
  if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value > 1) {
    Trace(L"the stored choice of colour faces is no DWORD 0 or 1: they are shown");
    return;
  }
  g_show_colour_faces = value == 1;
}

void SaveShowColourFaces() {
  UniqueHkey key = OpenSettingsKey(
      KEY_SET_VALUE, L"the settings key could not be opened to save whether colour faces show");
  if (!key) return;
  const DWORD value = g_show_colour_faces ? 1 : 0;
  if (RegSetValueExA(key.get(), kShowFaceValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value) != ERROR_SUCCESS)
    Trace(L"the choice of colour faces could not be saved");
}

}  // namespace vizmark
