#include "cfgdlg/settings_store.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "cfgdlg/filter_shortcut.h"
#include "plugin/win_handles.h"

namespace vizmark {

namespace {

// A stored shortcut is a few dozen characters; anything longer is no shortcut.
constexpr DWORD kMaxValueBytes = 256;

// The key, made if missing, opened for no more than `access`: a key that an administrator
// left readable only still gives its shortcut.
UniqueHkey OpenSettingsKey(REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return UniqueHkey(key);
}

// The value as text; false when it is missing, of another type, too long or unterminated.
bool ReadStringValue(HKEY key, std::string& text) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, kShortCutValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxValueBytes) return false;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key, kShortCutValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
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

}  // namespace

std::string LayoutKeyNameOf(unsigned short virtual_key) {
  const UINT scan_code = MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC);
  if (scan_code == 0) return {};
  char name[64] = {};
  const int length = GetKeyNameTextA(static_cast<LONG>(scan_code << 16), name, sizeof name);
  return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

void LoadFilterShortCut() {
  UniqueHkey key = OpenSettingsKey(KEY_QUERY_VALUE);
  if (!key) return;
  std::string text;
  if (!ReadStringValue(key.get(), text)) {
    // A value that is there but cannot be read as a string counts as no shortcut.
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), kShortCutValue, nullptr, &type, nullptr, nullptr) ==
        ERROR_SUCCESS)
      FilterShortCut = 0;
    return;
  }
  FilterShortCut = TextToShortCut(text, &LayoutKeyNameOf);
}

void SaveFilterShortCut() {
  UniqueHkey key = OpenSettingsKey(KEY_SET_VALUE);
  if (!key) return;
  const std::string text = ShortCutToText(FilterShortCut.load(), &LayoutKeyNameOf);
  RegSetValueExA(key.get(), kShortCutValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

}  // namespace vizmark
