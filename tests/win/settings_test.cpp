// The shortcut setting in the registry of the test's Wine prefix, and its replay as key
// presses, linked in directly.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "cfgdlg/settings_store.h"
#include "facedraw/shortcut_replay.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "shortcut/filter_shortcut.h"
#include "shortcut/hot_key.h"
#include "shortcut/key_events.h"
#include "tests/win/win_test_support.h"

namespace vizmark {
namespace {

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

struct LocalFreeDeleter {
  void operator()(void* memory) const { LocalFree(memory); }
};

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveKey();
    LoadFilterShortcut();  // forgets the text an earlier test loaded
    RemoveKey();
    g_filter_shortcut = 0;
  }
  void TearDown() override { RemoveKey(); }

  // Gives the key the access rights of an SDDL text, as its owner (who always may).
  static bool SetKeyAccess(const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
      return false;
    std::unique_ptr<void, LocalFreeDeleter> owner(descriptor);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
      return false;
    UniqueHkey key_owner(key);
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  }

  static void RemoveKey() {
    SetKeyAccess("D:P(A;;KA;;;WD)");  // a test that stopped half-way may have locked it
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
  }

  static void Store(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    UniqueHkey owner(key);
    ASSERT_EQ(
        RegSetValueExA(key, kShortcutValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())),
        ERROR_SUCCESS);
  }

  // The stored value's type and bytes; type 0 when there is none.
  static std::pair<DWORD, std::string> Stored() {
    char data[512] = {};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kShortcutValue, RRF_RT_ANY, &type, data,
                     &size) != ERROR_SUCCESS)
      return {0, {}};
    return {type, std::string(data, size)};
  }
};

TEST_F(SettingsTest, NoValueLeavesNoShortcutAndMakesTheKey) {
  g_filter_shortcut = 0;
  LoadFilterShortcut();
  EXPECT_EQ(g_filter_shortcut.load(), 0);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  UniqueHkey owner(key);
  // And the next shut-down writes the empty text.
  SaveFilterShortcut();
  EXPECT_EQ(Stored(), (std::pair<DWORD, std::string>{REG_SZ, std::string(1, '\0')}));
}

TEST_F(SettingsTest, ReadsEachKindOfValue) {
  const struct {
    DWORD type;
    std::string bytes;
    uint16_t shortcut;
  } cases[] = {
      {REG_SZ, std::string("Shift+Ctrl+Alt+F\0", 17), 0xE046},
      {REG_EXPAND_SZ, std::string("Ctrl+F1\0", 8), 0x4070},
      {REG_SZ, std::string("alt+ctrl+shift+f\0", 17), 0xE046},
      {REG_SZ, std::string("Ctrl+Nothing\0", 13), 0},
      {REG_SZ, std::string(1 << 20, 'A'), 0},  // far too long to be a shortcut
      {REG_DWORD, std::string("\x46\xE0\0\0", 4), 0},
      {REG_BINARY, "Ctrl+F1", 0},
      {REG_MULTI_SZ, std::string("Ctrl+F1\0\0", 9), 0},
  };
  for (const auto& c : cases) {
    g_filter_shortcut = 0x1234;
    Store(c.type, c.bytes);
    LoadFilterShortcut();
    EXPECT_EQ(g_filter_shortcut.load(), c.shortcut) << c.type << " " << c.bytes.substr(0, 30);
  }
}

TEST_F(SettingsTest, SavesTheTextFormEveryTime) {
  g_filter_shortcut = 0xE046;
  SaveFilterShortcut();
  EXPECT_EQ(Stored(),
            (std::pair<DWORD, std::string>{REG_SZ, std::string("Shift+Ctrl+Alt+F\0", 17)}));
  Store(REG_SZ, std::string("Ctrl+F1\0", 8));  // changed behind our back: written again
  SaveFilterShortcut();
  EXPECT_EQ(Stored().second, std::string("Shift+Ctrl+Alt+F\0", 17));
  g_filter_shortcut = 0x4000 | 101;  // keypad 5
  SaveFilterShortcut();
  EXPECT_EQ(Stored().second, std::string("Ctrl+Num 5\0", 11));
  LoadFilterShortcut();
  EXPECT_EQ(g_filter_shortcut.load(), 0x4000 | 101);
}

// Colour faces show unless the stored value is the DWORD 0; what is saved reads back.
TEST_F(SettingsTest, ColourFacesAreOnUnlessStoredOff) {
  const struct {
    DWORD type;  // 0: no value
    std::string bytes;
    bool shown;
  } cases[] = {
      {0, "", true},
      {REG_DWORD, std::string("\0\0\0\0", 4), false},
      {REG_DWORD, std::string("\1\0\0\0", 4), true},
      {REG_DWORD, std::string("\2\0\0\0", 4), true},
      {REG_DWORD, std::string("\0\0\0\1", 4), true},
      {REG_BINARY, std::string("\0\0\0\0", 4), true},
      {REG_BINARY, std::string("\0", 1), true},
      {REG_SZ, std::string("0\0", 2), true},
      {REG_QWORD, std::string(8, '\0'), true},
  };
  for (const auto& c : cases) {
    RemoveKey();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    UniqueHkey owner(key);
    if (c.type != 0) {
      ASSERT_EQ(RegSetValueExA(key, kShowFaceValue, 0, c.type,
                               reinterpret_cast<const BYTE*>(c.bytes.data()),
                               static_cast<DWORD>(c.bytes.size())),
                ERROR_SUCCESS);
    }
    g_show_colour_faces = !c.shown;
    LoadShowColourFaces();
    EXPECT_EQ(g_show_colour_faces.load(), c.shown) << c.type << " " << c.bytes.size();
  }
  for (const bool shown : {false, true}) {
    g_show_colour_faces = shown;
    SaveShowColourFaces();
    DWORD type = 0, value = 7, size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kShowFaceValue, RRF_RT_ANY, &type,
                           &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, shown ? 1u : 0u);
    g_show_colour_faces = !shown;
    LoadShowColourFaces();
    EXPECT_EQ(g_show_colour_faces.load(), shown);
  }
  g_show_colour_faces = true;
}

// With this machine's keyboard layout: what the dialog's shortcut entry gives for each key
// is stored, read back at the next start, and shown in the entry as it was given.
TEST_F(SettingsTest, ShortcutsComeBackAsTheSameKeysAfterARestart) {
  const struct {
    WORD hot_key;
    const char* text;
  } cases[] = {
      {MAKEWORD(VK_OEM_2, HOTKEYF_CONTROL), "Ctrl+/"},
      {MAKEWORD(VK_MULTIPLY, HOTKEYF_CONTROL), "Ctrl+Num *"},
      {MAKEWORD(VK_DIVIDE, HOTKEYF_CONTROL | HOTKEYF_EXT), "Ctrl+Num /"},
      {MAKEWORD(VK_NUMPAD7, HOTKEYF_CONTROL), "Ctrl+Num 7"},
      {MAKEWORD('7', HOTKEYF_CONTROL), "Ctrl+7"},
      {MAKEWORD(VK_INSERT, HOTKEYF_CONTROL | HOTKEYF_EXT), "Ctrl+Ins"},
      {MAKEWORD(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_EXT), "Ctrl+Home"},
      {MAKEWORD(VK_NEXT, HOTKEYF_CONTROL | HOTKEYF_EXT), "Ctrl+PgDn"},
      {MAKEWORD(VK_LEFT, HOTKEYF_CONTROL | HOTKEYF_EXT), "Ctrl+Left"},
      {MAKEWORD(VK_SNAPSHOT, HOTKEYF_ALT | HOTKEYF_EXT), nullptr},
      {MAKEWORD(VK_NUMLOCK, HOTKEYF_ALT | HOTKEYF_EXT), nullptr},
      {MAKEWORD(VK_PAUSE, HOTKEYF_ALT), nullptr},
      {MAKEWORD(VK_OEM_PLUS, HOTKEYF_ALT), nullptr},
  };
  for (const auto& c : cases) {
    LoadFilterShortcut();
    const uint16_t shortcut = HotKeyToShortcut(c.hot_key);
    g_filter_shortcut = shortcut;  // OK in the dialog
    SaveFilterShortcut();
    const std::string stored = Stored().second;
    if (c.text != nullptr) {
      EXPECT_EQ(stored, std::string(c.text) + '\0');
    }
    g_filter_shortcut = 0;
    LoadFilterShortcut();
    EXPECT_EQ(g_filter_shortcut.load(), shortcut) << stored;
    EXPECT_EQ(ShortcutToHotKey(g_filter_shortcut.load()), c.hot_key) << stored;
  }
}

TEST_F(SettingsTest, TextsOfEarlierVersionsKeepTheirMeaning) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"Ctrl+7", 0x4000 | '7'},         {"Ctrl+5", 0x4000 | '5'},
      {"Ctrl+Ins", 0x4000 | VK_INSERT}, {"Home", VK_HOME},
      {"Alt+PgDn", 0x8000 | VK_NEXT},   {"Shift+Left", 0x2000 | VK_LEFT},
      {"Ctrl+Del", 0x4000 | VK_DELETE},
  };
  for (const auto& [text, shortcut] : cases) {
    Store(REG_SZ, std::string(text) + '\0');
    LoadFilterShortcut();
    EXPECT_EQ(g_filter_shortcut.load(), shortcut) << text;
  }
}

TEST_F(SettingsTest, ATextThatNoLongerReadsIsKeptUntilTheShortcutChanges) {
  Store(REG_SZ, std::string("Ctrl+NoSuchKey\0", 15));
  LoadFilterShortcut();
  EXPECT_EQ(g_filter_shortcut.load(), 0);
  SaveFilterShortcut();
  EXPECT_EQ(Stored().second, std::string("Ctrl+NoSuchKey\0", 15));
  // The next start finds it again, and the user sets a shortcut.
  LoadFilterShortcut();
  g_filter_shortcut = 0x4070;
  SaveFilterShortcut();
  EXPECT_EQ(Stored().second, std::string("Ctrl+F1\0", 8));
}

TEST_F(SettingsTest, AKeyWithoutWriteAccessIsReadAndLeftAlone) {
  Store(REG_SZ, std::string("Ctrl+F1\0", 8));
  ASSERT_TRUE(SetKeyAccess("D:P(A;;KR;;;WD)"));  // everyone may read, nobody may write
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key),
            ERROR_ACCESS_DENIED);

  LoadFilterShortcut();
  EXPECT_EQ(g_filter_shortcut.load(), 0x4070);
  g_filter_shortcut = 0xE046;
  SaveFilterShortcut();
  EXPECT_EQ(Stored().second, std::string("Ctrl+F1\0", 8));

  // And the whole plug-in starts and stops over it.
  {
    hostsim::PluginModule plugin(hostsim::PluginModule::DefaultPath());
    plugin.Initialize();
    plugin.Finalize();
  }
  EXPECT_EQ(Stored().second, std::string("Ctrl+F1\0", 8));
}

// The key presses the replay sends, as a low-level keyboard hook sees them.
std::vector<KeyEvent> g_seen;
LRESULT CALLBACK RecordKeys(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // The hook may name the left-hand modifier where the generic one was sent.
    uint8_t vk = static_cast<uint8_t>(key->vkCode);
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
    if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
    g_seen.push_back(
        {vk, wParam == WM_KEYUP || wParam == WM_SYSKEYUP, (key->flags & LLKHF_EXTENDED) != 0});
  }
  return 1;  // swallowed: nothing else gets the keys
}

TEST(Replay, SendsTheShortcutsKeysInOrder) {
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &RecordKeys, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(hook, nullptr);
  // A key no shortcut holds, pressed after the replay: the hook sees keys in the order they
  // were sent, so once it has seen this one, it has seen every key of the replay.
  constexpr KeyEvent kEnd{VK_F24, true};
  // The replay goes once the list's window is in front.
  hostsim::HostState state;
  hostsim::HostWindows host(&state, nullptr);
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
  for (uint16_t shortcut :
       {0xE046, 0x4070, 0xA000, 0, 0x4000 | VK_INSERT, 0x4000 | VK_DIVIDE, 0x4000 | VK_OEM_2}) {
    g_seen.clear();
    g_filter_shortcut = shortcut;
    ReplayFilterShortcut(host.list());
    EXPECT_TRUE(
        testsupport::PumpUntil([] { return !ShortcutReplayBusy(); }, testsupport::kPatience));
    keybd_event(kEnd.virtual_key, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !g_seen.empty() && g_seen.back() == kEnd; },
                                       testsupport::kPatience));
    if (!g_seen.empty() && g_seen.back() == kEnd) g_seen.pop_back();
    EXPECT_EQ(g_seen, ShortcutKeyEvents(shortcut)) << std::hex << shortcut;
  }
  UnhookWindowsHookEx(hook);
  g_filter_shortcut = 0;
}

}  // namespace
}  // namespace vizmark
